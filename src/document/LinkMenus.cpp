// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/LinkMenus.h"

#include "document/MyDocument.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace tolvo {

namespace {

QAction* add(QMenu* menu, const QString& text, const QString& key, const std::function<void()>& fire)
{
    QAction* action = menu->addAction(text);
    if (!key.isEmpty())
        action->setShortcut(QKeySequence(key));
    QObject::connect(action, &QAction::triggered, menu, [fire] { fire(); });
    return action;
}

} // namespace

QMenu* addLinksMenu(QMenuBar* bar, MyDocument& document)
{
    MyDocument* d = &document;
    QMenu* menu = bar->addMenu(QObject::tr("&Links"));
    menu->setObjectName(QStringLiteral("linksMenu"));
    add(menu, QObject::tr("Insert Link to &Page"), QObject::tr("Ctrl+L"), [d] { d->insertShortPageURL(); });
    add(menu, QObject::tr("Insert URL of Page"), QObject::tr("Ctrl+Shift+L"), [d] { d->insertLongPageURL(); });
    menu->addSeparator();
    add(menu, QObject::tr("Insert Link to &Table of Contents Items"), QObject::tr("Ctrl+T"),
        [d] { d->insertPrefixBasedTOCURL(); });
    add(menu, QObject::tr("Insert Link with Table of Contents Titles"), QString(), [d] { d->insertShortTOCURL(); });
    add(menu, QObject::tr("Insert URL of Table of Contents Items"), QObject::tr("Ctrl+Shift+T"),
        [d] { d->insertLongTOCURL(); });
    menu->addSeparator();
    add(menu, QObject::tr("Insert Link to P&DF"), QObject::tr("Ctrl+Shift+P"), [d] { d->insertShortPDFURL(); });
    add(menu, QObject::tr("Insert URL of PDF"), QString(), [d] { d->insertLongPDFURL(); });
    menu->addSeparator();
    add(menu, QObject::tr("&Copy URL of Page"), QObject::tr("Ctrl+Shift+C"), [d] { d->copyPageURLToClipboard(); });
    add(menu, QObject::tr("Copy URL of Table of Contents Items"), QString(), [d] { d->copyTOCURLToClipboard(); });
    add(menu, QObject::tr("Copy URL of PDF"), QString(), [d] { d->copyPDFURLToClipboard(); });
    menu->addSeparator();
    add(menu, QObject::tr("Copy Selected Text into &Notes"), QObject::tr("Ctrl+Shift+N"),
        [d] { d->grabSelectedText(); });
    menu->addSeparator();

    QMenu* style = menu->addMenu(QObject::tr("Link &Style"));
    style->setObjectName(QStringLiteral("linkStyleMenu"));
    auto* group = new QActionGroup(style);
    const QList<QAction*> styles = {
        add(style, QObject::tr("Expanded"), QString(), [d] { d->FormatURLExpanded(); }),
        add(style, QObject::tr("Condensed"), QString(), [d] { d->FormatURLCondensed(); }),
        add(style, QObject::tr("Condensed with Table of Contents Titles"), QString(),
            [d] { d->FormatURLCondensedTOCTitle(); }),
    };
    for (QAction* action : styles) {
        action->setCheckable(true);
        group->addAction(action);
    }
    // The check mark shows the stored style, which another window may have changed.
    QObject::connect(style, &QMenu::aboutToShow, style, [d, styles] {
        const int selected = d->linkStyleIndex();
        for (int i = 0; i < int(styles.size()); ++i)
            styles[i]->setChecked(i == selected);
    });
    style->addSeparator();
    add(style, QObject::tr("Choose Link Style..."), QString(), [d] { d->configureURLRichText(); });
    return menu;
}

} // namespace tolvo
