// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A log-out, `kill` or Ctrl+C in a terminal ends the program the same way as "Выход": the event loop
// returns, the windows are destroyed and the settings are written. Without this the signal would end
// the process on the spot and a player's names and options of this run would be lost.

#include <QObject>

class QSocketNotifier;

namespace zelvara::platform {

class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Catches SIGTERM, SIGINT and SIGHUP for as long as the object lives.
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

signals:
    // A termination signal arrived; delivered on the user-interface thread.
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zelvara::platform
