// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Links menu of a document window.

class QMenu;
class QMenuBar;

namespace tolvo {

class MyDocument;

/// Adds the Links menu (insert, copy, link style, grab) to the bar and returns it.
QMenu* addLinksMenu(QMenuBar* bar, MyDocument& document);

} // namespace tolvo
