// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/DocumentMenus.h"

#include "document/FullScreen.h"
#include "document/LinkMenus.h"
#include "document/MarkCommands.h"
#include "document/MyDocument.h"
#include "document/NightMode.h"
#include "document/NotesPane.h"
#include "document/RecentFiles.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace tolvo {

namespace {

QAction* add(QMenu* menu, const QString& text, const QKeySequence& key, const std::function<void()>& fire)
{
    QAction* action = menu->addAction(text);
    if (!key.isEmpty())
        action->setShortcut(key);
    QObject::connect(action, &QAction::triggered, menu, [fire] { fire(); });
    return action;
}

} // namespace

DocumentMenus::DocumentMenus(MyDocument& document, QMenuBar* bar)
    : QObject(bar)
    , m_document(document)
    , m_bar(bar)
{
    MyDocument* d = &document;

    QMenu* file = addMenu(tr("&File"));
    add(file, tr("&Open..."), QKeySequence::Open, [d] { d->openDocument(); });
    if (PlaceMemory* places = document.environment().places)
        file->addMenu(new RecentFilesMenu(*places, document.environment().openFile, file));
    add(file, tr("Open &Containing Folder"), QKeySequence(), [d] { d->openPDFCommandFired(); });
    file->addSeparator();
    add(file, tr("&Search All PDFs..."), QKeySequence(tr("Ctrl+Alt+F")), [d] { d->searchAllPdfs(); });
    file->addSeparator();
    add(file, tr("Link &Prefix..."), QKeySequence(), [d] { d->configurePrefix(); });
    add(file, tr("&Export Table of Contents as OPML..."), QKeySequence(tr("Ctrl+Shift+E")), [d] { d->exportAsOPML(); });
    add(file, tr("Export &Annotations..."), QKeySequence(tr("Ctrl+Shift+A")), [d] { d->showExportAnnotationsPanel(); });
    file->addSeparator();
    add(file, tr("Save a &Copy..."), QKeySequence(), [d] { d->saveACopy(); });
    add(file, tr("&Print..."), QKeySequence::Print, [d] { d->printDocument(); });
    file->addSeparator();
    add(file, tr("&Close"), QKeySequence::Close, [d] { d->close(); });
    add(file, tr("&Quit"), QKeySequence::Quit, [] { QApplication::closeAllWindows(); });

    QMenu* edit = addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    add(edit, tr("Paste Rich Text into Notes"), QKeySequence(tr("Ctrl+Alt+V")), [d] { d->insertClipboardRichText(); });
    add(edit, tr("Paste Plain Text into Notes"), QKeySequence(tr("Ctrl+Shift+V")),
        [d] { d->insertClipboardPlainText(); });
    add(edit, tr("Clear Formatting of Notes Text"), QKeySequence(tr("Ctrl+Shift+Space")),
        [d] { d->clearSelectedTextFormatting(); });
    edit->addSeparator();
    add(edit, tr("&Find..."), QKeySequence::Find, [d] { d->findInDocument(); });
    add(edit, tr("Find &Next"), QKeySequence(tr("F3")), [d] { d->findNext(); });
    add(edit, tr("Find Pre&vious"), QKeySequence(tr("Shift+F3")), [d] { d->findPrevious(); });

    if (MarkCommands* marks = document.markCommands()) {
        QMenu* menu = addMenu(tr("&Marks"));
        menu->setObjectName(QStringLiteral("marksMenu"));
        menu->addActions(marks->menuActions());
    }

    QMenu* view = addMenu(tr("&View"));
    const struct {
        DisplayCommand command;
        QString text;
    } displays[] = {
        { DisplayCommand::SinglePage, tr("Single Page") },
        { DisplayCommand::SinglePageContinuous, tr("Single Page Continuous") },
        { DisplayCommand::TwoUp, tr("Two Pages") },
        { DisplayCommand::TwoUpContinuous, tr("Two Pages Continuous") },
        { DisplayCommand::BookDisplay, tr("Book Display") },
    };
    for (const auto& entry : displays) {
        const DisplayCommand command = entry.command;
        QAction* action = add(view, entry.text, QKeySequence(), [d, command] { d->PDFDisplayChange(command); });
        setCommand(action, command);
        action->setCheckable(true);
        m_display.append(action);
    }
    std::sort(m_display.begin(), m_display.end(),
        [](QAction* a, QAction* b) { return displayCommandOf(a) < displayCommandOf(b); });
    view->addSeparator();
    const struct {
        ZoomCommand command;
        QString text;
        QList<QKeySequence> keys;
    } zooms[] = {
        { ZoomCommand::ZoomToFit, tr("Zoom to &Fit"), { QKeySequence(tr("Ctrl+9")) } },
        { ZoomCommand::ZoomIn, tr("Zoom &In"), { QKeySequence::ZoomIn, QKeySequence(tr("Ctrl+=")) } },
        { ZoomCommand::ZoomOut, tr("Zoom &Out"), { QKeySequence::ZoomOut } },
        { ZoomCommand::ActualSize, tr("&Actual Size"), { QKeySequence(tr("Ctrl+0")) } },
    };
    for (const auto& entry : zooms) {
        const ZoomCommand command = entry.command;
        QAction* action = add(view, entry.text, QKeySequence(), [d, command] { d->PDFChangeZoom(command); });
        action->setShortcuts(entry.keys);
        setCommand(action, command);
        m_zoom.append(action);
    }
    view->addSeparator();
    add(view, tr("Show or Hide &Table of Contents"), QKeySequence(tr("F9")), [d] { d->TOCToggleView(); });
    add(view, tr("Show or Hide Searc&h"), QKeySequence(tr("Ctrl+Shift+F")), [d] { d->searchViewToggle(); });
    add(view, tr("Fold &Sidebars"), QKeySequence(tr("Ctrl+F9")), [d] { d->collapseSidebarSplitViews(); });
    QMenu* toc = view->addMenu(tr("Table of &Contents Levels"));
    m_menus.append(toc);
    add(toc, tr("Collapse All Levels"), QKeySequence(), [d] { d->TOCCollapseAllLevels(); });
    add(toc, tr("Expand All Levels"), QKeySequence(), [d] { d->TOCExpandAllLevels(); });
    add(toc, tr("Expand Level 1"), QKeySequence(), [d] { d->TOCExpandLevel1(); });
    add(toc, tr("Expand Level 2"), QKeySequence(), [d] { d->TOCExpandLevel2(); });
    add(toc, tr("Expand Level 3"), QKeySequence(), [d] { d->TOCExpandLevel3(); });
    add(view, tr("Focus on Table of Contents"), QKeySequence(tr("Ctrl+Shift+O")), [d] { d->focusOnTOC(); });
    view->addSeparator();
    if (document.nightMode()) {
        view->addAction(document.nightMode()->action());
        view->addAction(document.nightMode()->keepImagesAction());
    }
    if (document.fullScreen())
        view->addAction(document.fullScreen()->action());

    QMenu* go = addMenu(tr("&Go"));
    add(go, tr("&Go to Page..."), QKeySequence(tr("Ctrl+G")), [d] { d->showGotoPDFPagePanel(); });
    go->addSeparator();
    add(go, tr("&Previous Page"), QKeySequence(tr("Ctrl+PgUp")), [d] { d->PDFprevPage(); });
    add(go, tr("&Next Page"), QKeySequence(tr("Ctrl+PgDown")), [d] { d->PDFnextPage(); });
    go->addSeparator();
    add(go, tr("&Back"), QKeySequence(tr("Alt+Left")), [d] { d->PDFgoBack(); });
    add(go, tr("&Forward"), QKeySequence(tr("Alt+Right")), [d] { d->PDFgoForward(); });

    QMenu* notes = addMenu(tr("&Notes"));
    const std::function<void()> areas[] = { [d] { d->notesArea1(); }, [d] { d->notesArea2(); },
        [d] { d->notesArea3(); }, [d] { d->notesArea4(); }, [d] { d->notesArea5(); } };
    for (int i = 0; i < 5; ++i)
        add(notes, tr("Notes Area %1").arg(i + 1), QKeySequence(tr("Ctrl+%1").arg(i + 1)), areas[i]);
    notes->addSeparator();
    add(notes, tr("Restore Earlier Version..."), QKeySequence(), [d] { d->notesPane()->restoreEarlierVersion(); });

    m_menus.append(addLinksMenu(bar, document));

    for (QMenu* menu : std::as_const(m_menus))
        connect(menu, &QMenu::aboutToShow, this, &DocumentMenus::validateAll);
}

QMenu* DocumentMenus::addMenu(const QString& title)
{
    QMenu* menu = m_bar->addMenu(title);
    m_menus.append(menu);
    return menu;
}

QAction* DocumentMenus::actionFor(DisplayCommand command) const
{
    for (QAction* action : m_display)
        if (displayCommandOf(action) == command)
            return action;
    return nullptr;
}

QAction* DocumentMenus::actionFor(ZoomCommand command) const
{
    for (QAction* action : m_zoom)
        if (zoomCommandOf(action) == command)
            return action;
    return nullptr;
}

QList<QAction*> DocumentMenus::allActions() const
{
    QList<QAction*> all;
    for (QMenu* menu : m_menus)
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && !action->menu())
                all.append(action);
    return all;
}

void DocumentMenus::validateAll()
{
    for (QAction* action : allActions())
        m_document.validateMenuItem(action);
}

} // namespace tolvo
