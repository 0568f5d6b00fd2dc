// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/termination_signals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using zelvara::platform::TerminationSignals;

class TerminationSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    void signal_isDeliveredOnTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("kill or log-out") << SIGTERM;
        QTest::newRow("Ctrl+C in a terminal") << SIGINT;
        QTest::newRow("terminal closed") << SIGHUP;
    }

    // The signal reaches the event loop instead of ending the process on the spot.
    void signal_isDeliveredOnTheEventLoop()
    {
        QFETCH(int, signalNumber);
        TerminationSignals signals_;
        QSignalSpy spy(&signals_, &TerminationSignals::terminationRequested);
        QVERIFY(::raise(signalNumber) == 0);
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.takeFirst().at(0).toInt(), signalNumber);
    }

    // Once the catcher is gone, a later one works again from scratch.
    void catcher_canBeMadeAgain()
    {
        {
            TerminationSignals first;
        }
        TerminationSignals second;
        QSignalSpy spy(&second, &TerminationSignals::terminationRequested);
        QVERIFY(::raise(SIGTERM) == 0);
        QVERIFY(spy.wait(5000));
    }
};

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "termination_signals_test.moc"
