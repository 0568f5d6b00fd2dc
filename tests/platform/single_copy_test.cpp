// SPDX-License-Identifier: GPL-3.0-or-later
// One copy per user and display: later starts hand over to the running copy, a socket left by a
// killed copy does not block, simultaneous starts end with exactly one running copy.

#include "platform/desktop.h"
#include "platform/single_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using zelvara::platform::SingleCopy;

class SingleCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void secondStart_asksFirstToShowAndEnds();
    void killedCopy_leftSocket_doesNotBlockNextStart();
    void simultaneousStarts_endWithOneCopy();
    void sanitizedDisplay_keepsFileNameSafeCharacters_data();
    void sanitizedDisplay_keepsFileNameSafeCharacters();
    void defaultServerName_isPerUserAndDisplay();
    void separatorOf_readsLocaleDecimalPoint_data();
    void separatorOf_readsLocaleDecimalPoint();

private:
    // A server name no other test run shares.
    QString uniqueName();
    QProcess *start(const QString &name);
    static QString nextLine(QProcess *process);

    std::vector<std::unique_ptr<QProcess>> m_processes;
    QStringList m_names;
    int m_counter = 0;
};

QString SingleCopyTest::uniqueName()
{
    m_names << u"zelvara-test-%1-%2"_s.arg(QCoreApplication::applicationPid()).arg(++m_counter);
    return m_names.last();
}

QProcess *SingleCopyTest::start(const QString &name)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(QStringLiteral(ZELVARA_SINGLE_COPY_PROBE));
    process->setArguments({name});
    process->start();
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

QString SingleCopyTest::nextLine(QProcess *process)
{
    QDeadlineTimer deadline(10000);
    while (!process->canReadLine() && !deadline.hasExpired()) {
        if (!process->waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    }
    return QString::fromUtf8(process->readLine()).trimmed();
}

void SingleCopyTest::cleanup()
{
    for (auto &process : m_processes) {
        process->kill();
        process->waitForFinished(5000);
    }
    m_processes.clear();
    // Killed copies leave their sockets behind; the test run leaves nothing.
    for (const QString &name : std::as_const(m_names)) {
        QLocalServer::removeServer(name);
        QFile::remove(QDir::tempPath() + u'/' + name + u".lock"_s);
    }
    m_names.clear();
}

void SingleCopyTest::secondStart_asksFirstToShowAndEnds()
{
    const QString name = uniqueName();
    QProcess *first = start(name);
    QCOMPARE(nextLine(first), u"first"_s);

    for (int i = 0; i < 2; ++i) {
        QProcess *second = start(name);
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QString::fromUtf8(second->readAll()).trimmed(), u"handed-over"_s);
        QCOMPARE(nextLine(first), u"shown"_s);
    }
    QCOMPARE(first->state(), QProcess::Running);
}

void SingleCopyTest::killedCopy_leftSocket_doesNotBlockNextStart()
{
    const QString name = uniqueName();
    QProcess *crashed = start(name);
    QCOMPARE(nextLine(crashed), u"first"_s);
    crashed->kill();
    QVERIFY(crashed->waitForFinished(5000));
    QVERIFY2(QFileInfo::exists(QDir::tempPath() + u'/' + name), "a killed copy should leave its socket");

    QProcess *next = start(name);
    QCOMPARE(nextLine(next), u"first"_s);
    QProcess *later = start(name);
    QVERIFY(later->waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(later->readAll()).trimmed(), u"handed-over"_s);
    QCOMPARE(nextLine(next), u"shown"_s);
}

void SingleCopyTest::simultaneousStarts_endWithOneCopy()
{
    // With and without a stale socket in the way: both races must end with one copy.
    for (const bool stale : {false, true}) {
        const QString name = uniqueName();
        if (stale) {
            QProcess *crashed = start(name);
            QCOMPARE(nextLine(crashed), u"first"_s);
            crashed->kill();
            QVERIFY(crashed->waitForFinished(5000));
        }
        std::vector<QProcess *> starts;
        for (int i = 0; i < 4; ++i)
            starts.push_back(start(name));

        QProcess *winner = nullptr;
        int handedOver = 0;
        for (QProcess *process : starts) {
            const QString answer = nextLine(process);
            if (answer == u"first"_s) {
                QVERIFY2(winner == nullptr, "two copies both think they run first");
                winner = process;
            } else {
                QCOMPARE(answer, u"handed-over"_s);
                QVERIFY(process->waitForFinished(10000));
                QCOMPARE(process->exitCode(), 0);
                ++handedOver;
            }
        }
        QVERIFY(winner != nullptr);
        QCOMPARE(handedOver, 3);
        for (int i = 0; i < handedOver; ++i)
            QCOMPARE(nextLine(winner), u"shown"_s);
        cleanup();
    }
}

void SingleCopyTest::sanitizedDisplay_keepsFileNameSafeCharacters_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("expected");
    QTest::newRow("local X display") << u":0"_s << u"_0"_s;
    QTest::newRow("forwarded X display") << u"localhost:10.0"_s << u"localhost_10.0"_s;
    QTest::newRow("Wayland socket") << u"wayland-1"_s << u"wayland-1"_s;
    QTest::newRow("a path cannot escape the folder") << u"/tmp/../x"_s << u"_tmp_.._x"_s;
    QTest::newRow("non-ASCII") << u"дисплей"_s << u"_______"_s;
}

void SingleCopyTest::sanitizedDisplay_keepsFileNameSafeCharacters()
{
    QFETCH(QString, display);
    QFETCH(QString, expected);
    QCOMPARE(SingleCopy::sanitizedDisplay(display), expected);
}

void SingleCopyTest::defaultServerName_isPerUserAndDisplay()
{
    qputenv("DISPLAY", ":7");
    const QString x11 = SingleCopy::defaultServerName();
    QVERIFY2(x11.startsWith(u"zelvara-"_s) && x11.endsWith(u"-_7"_s), qPrintable(x11));
    qunsetenv("DISPLAY");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    QVERIFY(SingleCopy::defaultServerName().endsWith(u"-wayland-0"_s));
    QVERIFY(!SingleCopy::defaultServerName().contains(u'/'));
}

void SingleCopyTest::separatorOf_readsLocaleDecimalPoint_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<char>("expected");
    QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << ',';
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << ',';
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << '.';
    QTest::newRow("C") << QLocale::c() << '.';
    QTest::newRow("Arabic momayyez reads as a point") << QLocale(QLocale::Arabic, QLocale::Egypt) << '.';
}

void SingleCopyTest::separatorOf_readsLocaleDecimalPoint()
{
    QFETCH(QLocale, locale);
    QFETCH(char, expected);
    QCOMPARE(zelvara::platform::separatorOf(locale.decimalPoint()), expected);
}

QTEST_GUILESS_MAIN(SingleCopyTest)
#include "single_copy_test.moc"
