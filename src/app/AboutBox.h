// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Help ▸ About Tolvo.

#include <QString>

class QWidget;

namespace tolvo {

/// The About box's text (rich text): Tolvo's version and licence, and the Qt and Poppler it runs on.
QString aboutText();

/// Shows the About box over the window.
void showAboutBox(QWidget* parent);

} // namespace tolvo
