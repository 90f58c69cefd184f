// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The widgets of one window's notes pane, for the notes tests: five views in tabs, the
// format bar when asked for, and the pane over them.

#include "document/NotesFormatBar.h"
#include "document/NotesPane.h"
#include "document/NotesTextView.h"

#include <QTabWidget>
#include <QWidget>

#include <memory>

namespace tolvo::test {

struct NotesWindow {
    QWidget pane;
    QTabWidget* tabs;
    NotesPane::Views views {};
    NotesFormatBar* ruler = nullptr;
    std::unique_ptr<NotesPane> notes;

    NotesWindow(NotesStore& store, Defaults& defaults, bool withFormatBar = true)
    {
        tabs = new QTabWidget(&pane);
        for (int i = 0; i < 5; ++i) {
            views[i] = new NotesTextView;
            tabs->addTab(views[i], QString::number(i + 1));
        }
        if (withFormatBar)
            ruler = new NotesFormatBar(&pane);
        notes = std::make_unique<NotesPane>(&pane, tabs, views, ruler, store, defaults);
    }
};

} // namespace tolvo::test
