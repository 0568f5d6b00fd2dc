// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Only one copy of the program runs per user and display. The first copy listens on a local socket;
// a later start connects to it, asks it to show its window and ends without touching anything.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace zelvara::platform {

class SingleCopy : public QObject
{
    Q_OBJECT

public:
    explicit SingleCopy(QString serverName, QObject *parent = nullptr);

    // "zelvara-<uid>-<display>": one name per user and per display, made of file-name-safe characters.
    static QString defaultServerName();
    // The part of a display name ($DISPLAY or $WAYLAND_DISPLAY) that may go into a socket name.
    static QString sanitizedDisplay(const QString &display);

    enum class Claim {
        First,      // this copy now listens: it is the running copy
        HandedOver, // a running copy was told to show itself: end this one
        Failed,     // neither listening nor reaching a copy worked; run anyway
    };

    // Settles whether this is the first copy. Two copies claiming at the same moment are serialised by
    // a lock file, so exactly one becomes First; a socket left behind by a crashed copy is replaced.
    Claim claim();

    QString serverName() const { return m_serverName; }

    // The run is ending: stop answering, so that a copy started now comes up with its own window
    // instead of handing over to one on its way out.
    void release();

signals:
    // A later start asked the running copy to come forward.
    void showRequested();

private:
    enum class Answer {
        Shown,   // a running copy showed its window
        NoCopy,  // nothing listens (or only a crashed copy's socket is left)
        NoAnswer // a copy took the request but did not show itself: it is exiting, or hung
    };
    Answer askRunningCopyToShow();
    bool listen();
    void onNewConnection();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

} // namespace zelvara::platform
