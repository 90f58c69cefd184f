// SPDX-License-Identifier: GPL-3.0-or-later
// The animated split view, and the outline and table views that hand Copy and Paste to their owners.
#include "widgets/TLNSOutlineView.h"
#include "widgets/TLNSTableView.h"
#include "widgets/TLSplitView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

using namespace tolvo;

namespace {

// A split view of three panes in a shown window of a given width.
struct ThreePanes {
    QWidget window;
    TLSplitView* split;
    explicit ThreePanes(int width = 1000) { make(width); }
    void make(int width)
    {
        split = new TLSplitView(Qt::Horizontal, &window);
        for (int i = 0; i < 3; ++i) {
            auto* pane = new QWidget;
            pane->setMinimumSize(1, 1);
            split->addWidget(pane);
        }
        split->setHandleWidth(5);
        split->setGeometry(0, 0, width, 400);
        window.resize(width, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        split->setSizes({ 300, 300, width - 610 });
        QCOMPARE(split->dividerPosition(0), 300);
    }
};

} // namespace

class TestSplitView : public QObject {
    Q_OBJECT

private slots:
    void setPositionsRefusesBadLists_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QList<int>>("indexes");
        QTest::newRow("lengths differ") << QList<int> { 100, 200 } << QList<int> { 0 };
        QTest::newRow("as many indexes as panes") << QList<int> { 1, 2, 3 } << QList<int> { 0, 1, 1 };
        QTest::newRow("no such divider") << QList<int> { 100 } << QList<int> { 2 };
    }
    void setPositionsRefusesBadLists()
    {
        QFETCH(QList<int>, positions);
        QFETCH(QList<int>, indexes);
        ThreePanes panes;
        const QList<int> before = panes.split->sizes();
        QSignalSpy animating(panes.split, &TLSplitView::splitViewIsAnimating);
        QVERIFY(!panes.split->setPositions(positions, indexes));
        QVERIFY(!panes.split->isAnimationRunning());
        QCOMPARE(panes.split->sizes(), before);
        QCOMPARE(animating.count(), 0);
    }

    void setPositionsMovesDividers_data()
    {
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QList<int>>("indexes");
        QTest::addColumn<int>("divider0");
        QTest::addColumn<int>("divider1");
        QTest::newRow("three panes") << QList<int> { 250, 500 } << QList<int> { 0, 1 } << 250 << 500;
        QTest::newRow("toc folded") << QList<int> { 250, 250 } << QList<int> { 0, 1 } << 250 << 255;
        QTest::newRow("second divider only") << QList<int> { 700 } << QList<int> { 1 } << 300 << 700;
        QTest::newRow("both folded") << QList<int> { 0, 0 } << QList<int> { 0, 1 } << 0 << 5;
    }
    void setPositionsMovesDividers()
    {
        QFETCH(QList<int>, positions);
        QFETCH(QList<int>, indexes);
        QFETCH(int, divider0);
        QFETCH(int, divider1);
        ThreePanes panes;
        QSignalSpy animating(panes.split, &TLSplitView::splitViewIsAnimating);
        QVERIFY(panes.split->setPositions(positions, indexes));
        QCOMPARE(animating.count(), 1);
        QCOMPARE(animating.at(0).at(0).toBool(), true);
        // The dividers travel for a while, then stand where they were sent.
        QVERIFY(panes.split->isAnimationRunning());
        QSignalSpy finished(panes.split, &TLSplitView::animationFinished);
        QVERIFY(finished.wait());
        QCOMPARE(animating.count(), 2);
        QCOMPARE(animating.at(1).at(0).toBool(), false);
        QCOMPARE(panes.split->dividerPosition(0), divider0);
        QCOMPARE(panes.split->dividerPosition(1), divider1);
        // The category's own animation is not the split view's: single moves stay allowed.
        QVERIFY(!panes.split->isAnimating());
    }

    void twoDividerAnimationGuardsSingleMoves()
    {
        ThreePanes panes;
        panes.split->setPositionDivider0(250, 500);
        QVERIFY(panes.split->isAnimating());
        panes.split->setPosition(100, 0, false); // ignored while animating
        QTRY_VERIFY(!panes.split->isAnimating());
        QCOMPARE(panes.split->dividerPosition(0), 250);
        QCOMPARE(panes.split->dividerPosition(1), 500);
        panes.split->setPosition(100, 0, false);
        QCOMPARE(panes.split->dividerPosition(0), 100);
    }

    void animatedSingleMoveEndsExactly()
    {
        ThreePanes panes;
        panes.split->setPosition(420, 1, true);
        QVERIFY(panes.split->isAnimating());
        QTRY_VERIFY(!panes.split->isAnimating());
        QCOMPARE(panes.split->dividerPosition(0), 300);
        QCOMPARE(panes.split->dividerPosition(1), 420);
    }

    void endStepsSetPositionsAtOnce()
    {
        ThreePanes panes;
        panes.split->endAnimationComplex({ { "position0", 200 }, { "position1", 600 } });
        QCOMPARE(panes.split->dividerPosition(0), 200);
        QCOMPARE(panes.split->dividerPosition(1), 600);
        panes.split->endAnimation({ { "position", 650 }, { "dividerIndex", 1 } });
        QCOMPARE(panes.split->dividerPosition(1), 650);
        QVERIFY(!panes.split->isAnimating());
    }

    void hiddenSplitViewTakesPositionsBeforeItsFirstLayout()
    {
        QWidget window;
        auto* split = new TLSplitView(Qt::Vertical, &window);
        split->addWidget(new QWidget);
        split->addWidget(new QWidget);
        split->widget(0)->setMinimumSize(1, 1);
        split->setPosition(0, 0, false);
        window.resize(400, 600);
        split->resize(400, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(split->paneLength(0), 0);
        QVERIFY(split->paneLength(1) > 500);
    }

    void outlineCopyGoesToOwner()
    {
        TLNSOutlineView view;
        QStandardItemModel model;
        model.appendRow(new QStandardItem("Chapter"));
        view.setModel(&model);
        view.setCurrentIndex(model.index(0, 0));
        QSignalSpy copies(&view, &TLNSOutlineView::copyRequested);
        QTest::keySequence(&view, QKeySequence::Copy);
        QCOMPARE(copies.count(), 1);
    }

    void tableCommandsGoToOwner()
    {
        TLNSTableView view;
        QSignalSpy copies(&view, &TLNSTableView::copyRequested);
        QSignalSpy pastes(&view, &TLNSTableView::pasteRequested);
        QTest::keySequence(&view, QKeySequence::Copy);
        QTest::keySequence(&view, QKeySequence::Paste);
        QCOMPARE(copies.count(), 1);
        QCOMPARE(pastes.count(), 1);
    }

    void copyWithoutOwnerDoesNothing()
    {
        // The view's own Copy would put the current cell's text on the clipboard.
        QGuiApplication::clipboard()->setText("untouched");
        TLNSTableView view;
        QStandardItemModel model(1, 1);
        model.setItem(0, 0, new QStandardItem("cell text"));
        view.setModel(&model);
        view.setCurrentIndex(model.index(0, 0));
        QTest::keySequence(&view, QKeySequence::Copy);
        view.paste();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("untouched"));
    }
};

QTEST_MAIN(TestSplitView)
#include "test_splitview.moc"
