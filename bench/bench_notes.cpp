// SPDX-License-Identifier: GPL-3.0-or-later
// Typing into a large notes area open in several windows: main-thread CPU time per typed character,
// including the other windows' update and drawing.
//   1. as Tolvo does it: the edit travels to the other windows as the changed range, and a thread of
//      its own writes the file;
//   2. the former way, re-enacted for comparison: every keystroke turns the whole area into HTML and
//      loads it into every other window (the file written from the main thread at most once a second).
// The windows have finished laying out the text, and the one typed into is the active one, as when a
// person types; the other windows take the edits in batches.
// Usage: bench_notes [KILOBYTES] [WINDOWS] [CHARACTERS] [now]   (defaults: 1024, 4, 200; `now`: the first only)
// The former way types at most 20 characters: each takes seconds.
#include "document/NotesBinding.h"
#include "document/NotesStore.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

QString largeNotes(int kilobytes)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(QStringLiteral("tolvo://manual/chapt.1/introd/"));
    link.setForeground(Qt::blue);
    for (int n = 0; document.characterCount() < kilobytes * 1024; ++n) {
        cursor.insertText(QStringLiteral("Paragraph %1 of the notes, with a ").arg(n), plain);
        cursor.insertText(QStringLiteral("bold remark"), bold);
        cursor.insertText(QStringLiteral(" and a "), plain);
        cursor.insertText(QStringLiteral("link to a place"), link);
        cursor.insertText(QStringLiteral(" in a manual; more words to fill the line as people write them."), plain);
        cursor.insertBlock();
    }
    return document.toHtml();
}

// CPU time of the calling thread: on a shared machine, wall time would count other programs' turns too.
double threadMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Figures {
    double median = 0;
    double worst = 0;
};

// Types characters into the middle of views[0] as key events; the time of each key is the time until
// the event loop has nothing left to do for it (the other windows updated, the write handed over).
Figures type(std::vector<std::unique_ptr<QTextEdit>>& views, int characters)
{
    QTextEdit* typing = views[0].get();
    // A window lays out a long text bit by bit after it was loaded; people type into it later, once
    // that is done, and every key then lays out the rest of the text after the cursor again.
    for (auto& view : views)
        (void)view->document()->documentLayout()->documentSize();
    QTextCursor cursor = typing->textCursor();
    cursor.setPosition(typing->document()->characterCount() / 2);
    typing->setTextCursor(cursor);
    // The window typed into is the active one, as on a desktop. The offscreen platform activates the
    // window shown last once its events are handled: let that happen first, then choose.
    QCoreApplication::processEvents();
    typing->activateWindow();
    QApplication::setActiveWindow(typing);
    typing->setFocus();
    QCoreApplication::processEvents();
    if (QApplication::activeWindow() != typing)
        std::printf("warning: the window typed into is not the active one\n");
    std::vector<double> times;
    const QString text = QStringLiteral("typed words ");
    for (int i = 0; i < characters; ++i) {
        const QString key = text.mid(i % text.size(), 1);
        const double start = threadMilliseconds();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, key);
        QApplication::sendEvent(typing, &press);
        QApplication::sendEvent(typing, &release);
        QCoreApplication::processEvents();
        times.push_back(threadMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return { times[times.size() / 2], times.back() };
}

std::vector<std::unique_ptr<QTextEdit>> makeViews(int windows)
{
    std::vector<std::unique_ptr<QTextEdit>> views;
    for (int i = 0; i < windows; ++i) {
        views.push_back(std::make_unique<QTextEdit>());
        views.back()->resize(500, 600);
        views.back()->show();
    }
    return views;
}

Figures asTolvoDoes(const QString& html, int windows, int characters)
{
    QTemporaryDir dir;
    tolvo::Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    tolvo::registerTolvoDefaults(defaults);
    tolvo::NotesStore store(defaults, dir.filePath(QStringLiteral("notes")));
    store.setHtml(0, html, nullptr);
    auto views = makeViews(windows);
    std::vector<std::unique_ptr<tolvo::NotesBinding>> bindings;
    for (auto& view : views)
        bindings.push_back(std::make_unique<tolvo::NotesBinding>(view.get(), 0, store));
    store.flush();
    const Figures figures = type(views, characters);
    store.flush();
    return figures;
}

Figures theFormerWay(const QString& html, int windows, int characters)
{
    auto views = makeViews(windows);
    for (auto& view : views)
        view->setHtml(html);
    bool applying = false;
    for (auto& view : views) {
        QTextEdit* source = view.get();
        QObject::connect(source->document(), &QTextDocument::contentsChanged, source, [&, source] {
            if (applying)
                return;
            applying = true;
            const QString now = source->document()->toHtml();
            for (auto& other : views) {
                if (other.get() == source)
                    continue;
                const QString before = other->document()->toRawText();
                other->document()->setHtml(now);
                (void)other->document()->toRawText();
                (void)before;
            }
            applying = false;
        });
    }
    return type(views, characters);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int kilobytes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1024;
    const int windows = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 4;
    const int characters = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 200;
    const QString html = largeNotes(kilobytes);
    std::printf("notes area of %d KB (%lld characters of HTML) in %d windows, %d characters typed\n", kilobytes,
        static_cast<long long>(html.size()), windows, characters);
    const Figures now = asTolvoDoes(html, windows, characters);
    std::printf("edits as ranges, written off the main thread: median %.2f ms, worst %.2f ms per character\n",
        now.median, now.worst);
    if (argc > 4) // only the first
        return 0;
    const Figures before = theFormerWay(html, windows, std::min(characters, 20));
    std::printf("whole area as HTML into every window (former): median %.2f ms, worst %.2f ms per character\n",
        before.median, before.worst);
    return 0;
}
