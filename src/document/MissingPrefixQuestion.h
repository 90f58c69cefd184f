// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The question a long page link asks once of a document with a temporary prefix.

#include <QString>

class QWidget;

namespace tolvo {

/// "Missing URL Prefix": beeps and asks, modally on the window, whether the user would like a
/// more readable prefix than prefix. True for "OK", false for "Cancel" (or Escape).
bool askForReadablePrefix(QWidget* window, const QString& prefix);

} // namespace tolvo
