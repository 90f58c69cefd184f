#pragma once
// Sending a command to a view's delegate only when the delegate answers it.

#include <QObject>

namespace tolvo {

/// Calls delegate->slot(view) when the delegate has an invokable `slot(QObject*)`;
/// false (and nothing happens) otherwise.
bool callDelegate(QObject* delegate, const char* slot, QObject* view);

} // namespace tolvo
