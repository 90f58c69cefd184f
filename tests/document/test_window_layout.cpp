// SPDX-License-Identifier: GPL-3.0-or-later
// The document window's three layouts and their numbers: widths, dividers, thresholds.
#include "document/WindowLayout.h"
#include "widgets/TLSplitView.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QtTest>

using namespace tolvo;

namespace {

// A window laid out like a document window: a main split view of notes, TOC and pages filling it.
struct Window {
    QWidget window;
    TLSplitView* split;
    bool hideTOC = false;
    int notesTextWidth = -1;
    std::unique_ptr<WindowLayout> layout;

    Window(int width, int notes, int toc)
    {
        auto* box = new QHBoxLayout(&window);
        box->setContentsMargins(0, 0, 0, 0);
        split = new TLSplitView(Qt::Horizontal);
        split->setHandleWidth(5);
        for (int i = 0; i < 3; ++i) {
            auto* pane = new QWidget;
            pane->setMinimumSize(1, 1);
            split->addWidget(pane);
        }
        box->addWidget(split);
        layout = std::make_unique<WindowLayout>(
            &window, split, [this] { return hideTOC; }, [this](int w) { notesTextWidth = w; });
        window.resize(width, 500);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("window not shown");
        split->setSizes({ notes, toc, width - notes - toc - 10 });
    }

    int width() const { return window.width(); }
    int notes() const { return split->paneLength(0); }
    int toc() const { return split->paneLength(1); }
    // Lets running animations end.
    void settle() const
    {
        QVERIFY(QTest::qWaitFor([this] { return !split->isAnimationRunning(); }));
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT

private slots:
    void tocToggle_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("notes");
        QTest::addColumn<int>("toc");
        QTest::addColumn<bool>("hideTOC");
        QTest::addColumn<int>("expectedWidth");
        QTest::addColumn<int>("divider0");
        QTest::addColumn<int>("divider1");
        // Shown TOC: hidden, the window keeps its width (at least 710).
        QTest::newRow("shown toc hides") << 1103 << 250 << 245 << false << 1103 << 250 << 255;
        QTest::newRow("narrow window widens") << 600 << 200 << 200 << false << 710 << 250 << 255;
        // A TOC narrower than 10 counts as hidden: the three panes come back at 1103.
        QTest::newRow("hidden toc shows") << 800 << 250 << 0 << false << 1103 << 250 << 500;
        QTest::newRow("9 points count as hidden") << 800 << 250 << 9 << false << 1103 << 250 << 500;
        QTest::newRow("10 points count as shown") << 800 << 250 << 10 << false << 800 << 250 << 255;
        // Folded sidebars (together under 15) come back as three panes, or two without a TOC to show.
        QTest::newRow("folded returns") << 800 << 0 << 0 << false << 1103 << 250 << 500;
        QTest::newRow("14 points count as folded") << 800 << 7 << 7 << true << 800 << 250 << 255;
        QTest::newRow("folded without toc") << 800 << 0 << 0 << true << 800 << 250 << 255;
        // A hidden TOC shows again even when the option would hide a missing one.
        QTest::newRow("hidden toc, option on") << 800 << 250 << 0 << true << 1103 << 250 << 500;
    }
    void tocToggle()
    {
        QFETCH(int, width);
        QFETCH(int, notes);
        QFETCH(int, toc);
        QFETCH(bool, hideTOC);
        QFETCH(int, expectedWidth);
        QFETCH(int, divider0);
        QFETCH(int, divider1);
        Window w(width, notes, toc);
        w.hideTOC = hideTOC;
        w.layout->TOCToggleView();
        QTRY_COMPARE(w.width(), expectedWidth);
        w.settle();
        QCOMPARE(w.split->dividerPosition(0), divider0);
        QCOMPARE(w.split->dividerPosition(1), divider1);
    }

    void twoPaneWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("600 widens to 710") << 600 << 710;
        QTest::newRow("1200 stays") << 1200 << 1200;
        QTest::newRow("710 stays") << 710 << 710;
    }
    void twoPaneWidths()
    {
        QFETCH(int, width);
        QFETCH(int, expected);
        Window w(width, 250, 250);
        w.layout->revertToTwoFrameWindowWithMinimumIBWidth();
        QTRY_COMPARE(w.width(), expected);
        w.settle();
        QCOMPARE(w.toc(), 0);
        QCOMPARE(w.notes(), 250);
    }

    void threePanes()
    {
        Window w(800, 0, 0);
        w.layout->revertToIBDesignedThreeFrameWindow();
        QTRY_COMPARE(w.width(), 1103);
        w.settle();
        QCOMPARE(w.split->dividerPosition(0), 250);
        QCOMPARE(w.split->dividerPosition(1), 500);
        QCOMPARE(w.notesTextWidth, 230);
    }

    void foldSidebars_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("1300 to 800") << 1300 << 800;
        QTest::newRow("900 to 710") << 900 << 710;
    }
    void foldSidebars()
    {
        QFETCH(int, width);
        QFETCH(int, expected);
        Window w(width, 250, 250);
        const int pages = w.split->paneLength(2);
        w.layout->collapseSidebarSplitViews();
        QVERIFY(w.split->isAnimating());
        QTRY_COMPARE(w.width(), expected);
        QTRY_VERIFY(!w.split->isAnimating());
        QCOMPARE(w.notes(), 0);
        QCOMPARE(w.toc(), 0);
        if (width - 500 >= 710)
            QCOMPARE(w.split->paneLength(2), pages); // the pages keep their room
        // Folding again unfolds: the panes and the window as they were.
        w.layout->collapseSidebarSplitViews();
        QTRY_COMPARE(w.width(), width);
        w.settle();
        QCOMPARE(w.notes(), 250);
        QCOMPARE(w.toc(), 250);
        // The toggle from folded sidebars brings back three panes, or two for a PDF without TOC and the option on.
        w.layout->collapseSidebarSplitViews();
        w.settle();
        w.layout->TOCToggleView();
        QTRY_COMPARE(w.width(), 1103);
        w.settle();
        QCOMPARE(w.split->dividerPosition(1), 500);
    }

    void unfoldWithoutEarlierFold()
    {
        // Sidebars folded by hand come back as the TOC toggle brings them.
        Window w(800, 0, 0);
        w.layout->collapseSidebarSplitViews();
        QTRY_COMPARE(w.width(), 1103);
        w.settle();
        QCOMPARE(w.split->dividerPosition(0), 250);
        QCOMPARE(w.split->dividerPosition(1), 500);
    }

    void managedWindowKeepsItsSize_data()
    {
        QTest::addColumn<Qt::WindowState>("state");
        QTest::addColumn<int>("command"); // 0 TOC toggle, 1 three panes, 2 two panes, 3 fold, 4 fold and unfold
        QTest::addColumn<int>("divider0");
        QTest::addColumn<int>("divider1");
        for (const auto& [state, name] :
            { std::pair(Qt::WindowMaximized, "maximized"), std::pair(Qt::WindowFullScreen, "full screen") }) {
            QTest::addRow("%s toc toggle", name) << state << 0 << 250 << 255;
            QTest::addRow("%s three panes", name) << state << 1 << 250 << 500;
            QTest::addRow("%s two panes", name) << state << 2 << 250 << 255;
            QTest::addRow("%s fold", name) << state << 3 << 0 << 5;
            QTest::addRow("%s fold and unfold", name) << state << 4 << 250 << 505;
        }
    }
    void managedWindowKeepsItsSize()
    {
        QFETCH(Qt::WindowState, state);
        QFETCH(int, command);
        QFETCH(int, divider0);
        QFETCH(int, divider1);
        Window w(900, 250, 250);
        w.window.setWindowState(state);
        QTRY_VERIFY(w.window.windowState() & state);
        const QScreen* screen = w.window.screen();
        // The window manager's size: the screen, or the room it leaves with the window's frame.
        if (state == Qt::WindowFullScreen)
            QTRY_COMPARE(w.window.geometry(), screen->geometry());
        else
            QTRY_COMPARE(w.window.frameGeometry(), screen->availableGeometry());
        w.settle();
        const QRect before = w.window.geometry();
        switch (command) {
        case 0:
            w.layout->TOCToggleView();
            break;
        case 1:
            w.layout->revertToIBDesignedThreeFrameWindow();
            break;
        case 2:
            w.layout->revertToTwoFrameWindowWithMinimumIBWidth();
            break;
        default:
            w.layout->collapseSidebarSplitViews();
            if (command == 4) {
                w.settle();
                w.layout->collapseSidebarSplitViews();
            }
        }
        w.settle();
        QCOMPARE(w.window.geometry(), before);
        QVERIFY(w.window.windowState() & state);
        QCOMPARE(w.split->dividerPosition(0), divider0);
        QCOMPARE(w.split->dividerPosition(1), divider1);
    }

    void foldedWithoutTOCReturnsAsTwoPanes()
    {
        Window w(1300, 250, 250);
        w.hideTOC = true;
        w.layout->collapseSidebarSplitViews();
        QTRY_COMPARE(w.width(), 800);
        QTRY_VERIFY(!w.split->isAnimating());
        w.layout->TOCToggleView();
        w.settle();
        QCOMPARE(w.width(), 800);
        QCOMPARE(w.notes(), 250);
        QCOMPARE(w.toc(), 0);
    }

    void initialDividers_data()
    {
        QTest::addColumn<bool>("hideTOC");
        QTest::addColumn<int>("divider1");
        QTest::newRow("with toc") << false << 500;
        QTest::newRow("missing toc hidden") << true << 255;
    }
    void initialDividers()
    {
        QFETCH(bool, hideTOC);
        QFETCH(int, divider1);
        Window w(1103, 100, 100);
        w.hideTOC = hideTOC;
        w.layout->positionInitialDividers();
        QTRY_VERIFY(!w.split->isAnimating());
        QCOMPARE(w.split->dividerPosition(0), 250);
        QCOMPARE(w.split->dividerPosition(1), divider1);
    }

    void notesTextFollowsItsPane()
    {
        Window w(1103, 250, 245);
        w.split->setPosition(300, 0, false);
        QCOMPARE(w.notesTextWidth, 280);
    }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
