// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/DocumentId.h"

#include "pdf/core/CoreDocument.h"

#include <QFileInfo>

namespace tolvo::pdf {

QByteArray permanentDocumentId(const QString& path)
{
    if (path.isEmpty())
        return QByteArray();
    return CoreDocument::permanentId(QFileInfo(path).absoluteFilePath()).toHex();
}

} // namespace tolvo::pdf
