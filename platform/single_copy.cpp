// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_copy.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcessEnvironment>
#include <QThread>

#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace zelvara::platform {

namespace {

const QByteArray ShowRequest = "show\n";
const QByteArray ShowAnswer = "shown\n";
constexpr int ConnectTimeoutMs = 1000;
constexpr int AnswerTimeoutMs = 2000;
constexpr int LockTimeoutMs = 5000;
// How long a later start waits for a copy that is on its way out to let go of the socket.
constexpr int ExitingCopyWaitMs = 10000;
constexpr int RetryPauseMs = 50;

} // namespace

SingleCopy::SingleCopy(QString serverName, QObject *parent) : QObject(parent), m_serverName(std::move(serverName)) {}

QString SingleCopy::sanitizedDisplay(const QString &display)
{
    QString out;
    for (const QChar ch : display) {
        const bool safe = (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
                          ch == u'.' || ch == u'-';
        out += safe ? ch : u'_';
    }
    return out;
}

QString SingleCopy::defaultServerName()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString display = env.value(u"DISPLAY"_s);
    if (display.isEmpty())
        display = env.value(u"WAYLAND_DISPLAY"_s);
    if (display.isEmpty())
        display = u"nodisplay"_s;
    return u"zelvara-"_s + QString::number(::getuid()) + u'-' + sanitizedDisplay(display);
}

SingleCopy::Claim SingleCopy::claim()
{
    // The lock covers "is anyone there? if not, listen": without it two copies could both find a stale
    // socket, and the second one's clean-up would remove the first one's fresh socket.
    QLockFile lock(QDir::tempPath() + u'/' + m_serverName + u".lock"_s);
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(LockTimeoutMs);

    QDeadlineTimer exitingCopy(ExitingCopyWaitMs);
    for (;;) {
        switch (askRunningCopyToShow()) {
        case Answer::Shown:
            return Claim::HandedOver;
        case Answer::NoCopy:
            if (listen())
                return Claim::First;
            // A socket nobody answers on is what a crashed copy leaves behind.
            QLocalServer::removeServer(m_serverName);
            if (listen())
                return Claim::First;
            // Without the lock another copy may have won in the meantime.
            if (!locked && askRunningCopyToShow() == Answer::Shown)
                return Claim::HandedOver;
            return Claim::Failed;
        case Answer::NoAnswer:
            // A copy that is ending lets go of its socket in a moment; the player who started this
            // one still gets a window. A copy that stays hung is left alone and this one runs anyway.
            if (exitingCopy.hasExpired())
                return Claim::Failed;
            QThread::msleep(RetryPauseMs);
            break;
        }
    }
}

void SingleCopy::release()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

SingleCopy::Answer SingleCopy::askRunningCopyToShow()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        // A copy too busy to take the connection in time is still running; its socket must not be
        // mistaken for a crashed copy's and removed.
        return socket.error() == QLocalSocket::SocketTimeoutError ? Answer::NoAnswer : Answer::NoCopy;
    }
    socket.write(ShowRequest);
    socket.waitForBytesWritten(AnswerTimeoutMs);
    // Waiting for the answer keeps this copy alive until the running one has acted, so that a caller
    // who sees this copy end can count on the window being back.
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(AnswerTimeoutMs))
        answer += socket.readAll();
    socket.disconnectFromServer();
    return answer == ShowAnswer ? Answer::Shown : Answer::NoAnswer;
}

bool SingleCopy::listen()
{
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName))
        return false;
    m_server = server.release();
    connect(m_server, &QLocalServer::newConnection, this, &SingleCopy::onNewConnection);
    return true;
}

void SingleCopy::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray request = socket->readLine();
            if (request == ShowRequest) {
                emit showRequested();
                socket->write(ShowAnswer);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace zelvara::platform
