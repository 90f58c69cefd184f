// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How long the main thread is awake: from each wake-up of the event loop to its next wait.
#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QObject>

class BusyClock : public QObject {
public:
    explicit BusyClock(QAbstractEventDispatcher* dispatcher)
    {
        connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] {
            if (!m_running)
                m_timer.start();
            m_running = true;
        });
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (m_running)
                m_busyNs += m_timer.nsecsElapsed();
            m_running = false;
        });
    }
    void reset() { m_busyNs = 0; }
    double busyMs() const { return double(m_busyNs) / 1e6; }

private:
    QElapsedTimer m_timer;
    qint64 m_busyNs = 0;
    bool m_running = false;
};
