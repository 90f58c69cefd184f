#include "widgets/DelegateCall.h"

#include <QByteArray>
#include <QMetaMethod>

namespace tolvo {

bool callDelegate(QObject* delegate, const char* slot, QObject* view)
{
    if (!delegate)
        return false;
    const QByteArray signature = QByteArray(slot) + "(QObject*)";
    const int index = delegate->metaObject()->indexOfMethod(signature.constData());
    if (index < 0)
        return false;
    return delegate->metaObject()->method(index).invoke(delegate, Qt::DirectConnection, Q_ARG(QObject*, view));
}

} // namespace tolvo
