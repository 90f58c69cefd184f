// SPDX-License-Identifier: GPL-3.0-or-later
// Work handed from a worker thread to an object on another thread: it runs there, in the
// order it was handed over, never after its object is gone, and a blocking hand-over returns
// what the other thread made. Under ThreadSanitizer (tools/test.sh --tsan) the same cases
// check that the hand-overs carry what the worker wrote without a reported race.
#include "settings/HandOver.h"

#include <QThread>
#include <QtTest>

#include <memory>
#include <thread>
#include <vector>

using tolvo::handOver;
using tolvo::handOverAndWait;

class TestHandOver : public QObject {
    Q_OBJECT
private slots:
    void runsOnTheObjectsThreadInOrder_data()
    {
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("items"); // written by the worker, read by the call
        QTest::newRow("one call") << 1 << 1;
        QTest::newRow("many calls") << 500 << 4;
        QTest::newRow("large payloads") << 20 << 100000;
    }
    void runsOnTheObjectsThreadInOrder()
    {
        QFETCH(int, calls);
        QFETCH(int, items);
        QObject receiver;
        std::vector<int> order;
        bool allOnReceiversThread = true;
        long long sum = 0;
        std::thread worker([&] {
            for (int call = 0; call < calls; ++call) {
                // Plain memory, not atomics: only the hand-over orders it.
                auto payload = std::make_shared<std::vector<int>>();
                for (int i = 0; i < items; ++i)
                    payload->push_back(call + i);
                handOver(&receiver, [&, call, payload] {
                    allOnReceiversThread = allOnReceiversThread && QThread::currentThread() == receiver.thread();
                    order.push_back(call);
                    for (int value : *payload)
                        sum += value;
                });
            }
        });
        // Taken in while the worker still writes what comes next: only the hand-overs order them.
        QTRY_COMPARE(int(order.size()), calls);
        worker.join();
        QVERIFY(allOnReceiversThread);
        for (int call = 0; call < calls; ++call)
            QCOMPARE(order[size_t(call)], call);
        long long expected = 0;
        for (int call = 0; call < calls; ++call)
            for (int i = 0; i < items; ++i)
                expected += call + i;
        QCOMPARE(sum, expected);
    }

    void nothingRunsAfterItsObjectIsGone()
    {
        bool ran = false;
        auto receiver = std::make_unique<QObject>();
        std::thread worker([&] { handOver(receiver.get(), [&ran] { ran = true; }); });
        worker.join();
        receiver.reset();
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }

    void waitingReturnsWhatTheOtherThreadMade()
    {
        QThread thread;
        QObject onThread;
        onThread.moveToThread(&thread);
        thread.start();
        std::vector<QString> made;
        QThread* ranOn = nullptr;
        for (int round = 0; round < 50; ++round) {
            QVERIFY(handOverAndWait(&onThread, [&, round] {
                ranOn = QThread::currentThread();
                made.push_back(QString::number(round).repeated(round + 1));
            }));
            // Read at once, on this thread: the call has run and its writes are seen.
            QCOMPARE(made.back(), QString::number(round).repeated(round + 1));
        }
        QCOMPARE(ranOn, &thread);
        thread.quit();
        thread.wait();
    }
};

QTEST_GUILESS_MAIN(TestHandOver)
#include "test_hand_over.moc"
