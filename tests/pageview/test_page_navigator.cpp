// SPDX-License-Identifier: GPL-3.0-or-later
// The history of jumps: back, forward, and the place a reader scrolled to.
#include "pageview/PageNavigator.h"

#include <QSignalSpy>
#include <QtTest>

using tolvo::pageview::PageLocation;
using tolvo::pageview::PageNavigator;

namespace {
PageLocation at(int page, double y = 0)
{
    return PageLocation { page, QPointF(0, y) };
}
} // namespace

class TestPageNavigator : public QObject {
    Q_OBJECT
private slots:
    void backAndForwardRetraceJumps()
    {
        PageNavigator nav;
        QSignalSpy backSpy(&nav, &PageNavigator::backAvailableChanged);
        QSignalSpy forwardSpy(&nav, &PageNavigator::forwardAvailableChanged);
        nav.update(at(0));
        QVERIFY(!nav.backAvailable());
        nav.jump(at(5));
        nav.jump(at(9));
        QCOMPARE(backSpy.count(), 1);
        QCOMPARE(nav.back(), at(5));
        QCOMPARE(nav.back(), at(0));
        QCOMPARE(nav.back(), std::nullopt);
        QVERIFY(!nav.backAvailable());
        QVERIFY(nav.forwardAvailable());
        QCOMPARE(nav.forward(), at(5));
        QCOMPARE(nav.forward(), at(9));
        QCOMPARE(nav.forward(), std::nullopt);
        QCOMPARE(backSpy.count(), 3); // on, off, on
        QCOMPARE(forwardSpy.count(), 2); // on, off
    }

    void aJumpAfterGoingBackDropsWhatWasAhead()
    {
        PageNavigator nav;
        nav.update(at(0));
        nav.jump(at(5));
        nav.jump(at(9));
        nav.back();
        nav.jump(at(7));
        QVERIFY(!nav.forwardAvailable());
        QCOMPARE(nav.count(), 3);
        QCOMPARE(nav.back(), at(5));
    }

    void updateKeepsWhereTheReaderScrolledTo()
    {
        PageNavigator nav;
        nav.update(at(0));
        nav.jump(at(5));
        nav.update(at(6, 300)); // scrolled on after the jump
        nav.back();
        QCOMPARE(nav.forward(), at(6, 300));
        QCOMPARE(nav.count(), 2);
    }

    void aJumpToTheCurrentPlaceRecordsNothing()
    {
        PageNavigator nav;
        nav.update(at(3));
        QSignalSpy spy(&nav, &PageNavigator::currentLocationChanged);
        nav.jump(at(3));
        QCOMPARE(nav.count(), 1);
        QCOMPARE(spy.count(), 0);
    }

    void clearForgetsEverything()
    {
        PageNavigator nav;
        nav.update(at(0));
        nav.jump(at(1));
        QSignalSpy backSpy(&nav, &PageNavigator::backAvailableChanged);
        nav.clear();
        QCOMPARE(nav.count(), 0);
        QCOMPARE(nav.currentLocation(), std::nullopt);
        QCOMPARE(backSpy.count(), 1);
        QCOMPARE(nav.back(), std::nullopt);
    }

    void theHistoryIsBounded()
    {
        PageNavigator nav;
        for (int i = 0; i < 5000; ++i)
            nav.jump(at(i));
        QVERIFY(nav.count() <= 1000);
        QCOMPARE(nav.currentLocation(), at(4999));
        QCOMPARE(nav.back(), at(4998));
    }
};

QTEST_GUILESS_MAIN(TestPageNavigator)
#include "test_page_navigator.moc"
