// SPDX-License-Identifier: GPL-3.0-or-later
// One copy per user and display: later starts hand over to the running copy (with a file to open), a
// socket left by a killed copy does not block, simultaneous starts end with exactly one running copy, a
// paused copy never acts on what a start that gave up on it left, and the channel lives where only its
// user can reach it and talks to nobody else.

#include "platform/desktop.h"
#include "platform/single_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using zelvara::platform::FolderCheck;
using zelvara::platform::SingleCopy;

namespace {

constexpr uid_t Stranger = 65534;

// A process of another user, forked from this one: its effective user id is the stranger's, while file
// access stays root's, so that it reaches the test's private folders as an intruder with a foothold
// would. Whatever it receives over the channel comes back through a pipe.
class StrangerProcess
{
public:
    enum class Role { Listen, Connect };

    // Listens at `path`, or connects to it and sends `request`.
    StrangerProcess(Role role, const std::string &path, const std::string &request = {})
    {
        int report[2];
        int ready[2];
        if (::pipe2(report, O_CLOEXEC) != 0 || ::pipe2(ready, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(report[0]);
            ::close(ready[0]);
            // Raw system calls: the C library's wrappers would try to reach threads this child lacks.
            if (::syscall(SYS_setresuid, -1, Stranger, -1) != 0 || ::syscall(SYS_setfsuid, 0) < 0)
                ::_exit(3);
            run(role, path, request, ready[1], report[1]);
            ::_exit(0);
        }
        ::close(report[1]);
        ::close(ready[1]);
        m_report = report[0];
        char byte = 0;
        m_ready = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }

    ~StrangerProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_report >= 0)
            ::close(m_report);
    }
    StrangerProcess(const StrangerProcess &) = delete;
    StrangerProcess &operator=(const StrangerProcess &) = delete;

    bool ready() const { return m_ready; }

    // Ends the process and returns every byte it was sent, and whether anyone connected to it.
    std::string finish(bool *connected = nullptr)
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        std::string received;
        char buffer[256];
        ssize_t n = 0;
        while ((n = ::read(m_report, buffer, sizeof(buffer))) > 0)
            received.append(buffer, static_cast<std::size_t>(n));
        // The first byte says whether a connection came at all.
        if (connected)
            *connected = !received.empty() && received.front() == 'c';
        return received.empty() ? received : received.substr(1);
    }

private:
    static void run(Role role, const std::string &path, const std::string &request, int ready, int report)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.data(), std::min(path.size(), sizeof(address.sun_path) - 1));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto *raw = reinterpret_cast<const sockaddr *>(&address);
        int peer = -1;
        if (role == Role::Listen) {
            if (::bind(fd, raw, sizeof(address)) != 0 || ::listen(fd, 8) != 0)
                ::_exit(4);
            (void)!::write(ready, "r", 1);
            peer = ::accept(fd, nullptr, nullptr);
        } else {
            if (::connect(fd, raw, sizeof(address)) != 0)
                ::_exit(4);
            (void)!::write(ready, "r", 1);
            (void)!::write(fd, request.data(), request.size());
            peer = fd;
        }
        (void)!::write(report, peer >= 0 ? "c" : "n", 1);
        char buffer[256];
        pollfd entry{peer, POLLIN, 0};
        while (::poll(&entry, 1, 5000) > 0) {
            const ssize_t n = ::read(peer, buffer, sizeof(buffer));
            if (n <= 0)
                break;
            (void)!::write(report, buffer, static_cast<std::size_t>(n));
        }
        ::pause();
    }

    pid_t m_pid = -1;
    int m_report = -1;
    bool m_ready = false;
};

} // namespace

class SingleCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void secondStart_asksFirstToShowAndEnds();
    void secondStartWithFile_handsOverItsPath();
    void killedCopy_leftSocket_doesNotBlockNextStart();
    void simultaneousStarts_endWithOneCopy();
    void pausedCopy_dropsRequestsOfAStartThatGaveUp();
    void requests_travelFramedAndRejectTheRest();
    void strangersListener_learnsNothing_data();
    void strangersListener_learnsNothing();
    void strangersRequest_isIgnored();
    void channelFolder_takesOnlyAPrivateFolder_data();
    void channelFolder_takesOnlyAPrivateFolder();
    void sanitizedDisplay_keepsFileNameSafeCharacters_data();
    void sanitizedDisplay_keepsFileNameSafeCharacters();
    void displayWithoutScreen_namesOneDisplayOnce_data();
    void displayWithoutScreen_namesOneDisplayOnce();
    void defaultSocketPath_isPerUserAndDisplay();
    void separatorOf_readsLocaleDecimalPoint_data();
    void separatorOf_readsLocaleDecimalPoint();

private:
    // A socket path in this test's own folder.
    QString uniquePath();
    QProcess *start(const QString &path, const QStringList &more = {},
                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    static QString nextLine(QProcess *process, int timeoutMs = 10000);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    int m_counter = 0;
};

QString SingleCopyTest::uniquePath()
{
    return m_dir->filePath(u"copy-%1"_s.arg(++m_counter));
}

QProcess *SingleCopyTest::start(const QString &path, const QStringList &more, const QProcessEnvironment &environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(QStringLiteral(ZELVARA_SINGLE_COPY_PROBE));
    process->setArguments(QStringList{path} + more);
    process->setProcessEnvironment(environment);
    process->start();
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

QString SingleCopyTest::nextLine(QProcess *process, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!process->canReadLine() && !deadline.hasExpired()) {
        if (!process->waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    }
    return QString::fromUtf8(process->readLine()).trimmed();
}

void SingleCopyTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void SingleCopyTest::cleanup()
{
    for (auto &process : m_processes) {
        process->kill();
        process->waitForFinished(5000);
    }
    m_processes.clear();
    // Killed copies leave their sockets behind; the folder takes them along.
    m_dir.reset();
}

void SingleCopyTest::secondStart_asksFirstToShowAndEnds()
{
    const QString path = uniquePath();
    QProcess *first = start(path);
    QCOMPARE(nextLine(first), u"first"_s);

    for (int i = 0; i < 2; ++i) {
        QProcess *second = start(path);
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(QString::fromUtf8(second->readAll()).trimmed(), u"handed-over"_s);
        QCOMPARE(nextLine(first), u"shown"_s);
    }
    QCOMPARE(first->state(), QProcess::Running);
}

void SingleCopyTest::secondStartWithFile_handsOverItsPath()
{
    const QString path = uniquePath();
    QProcess *first = start(path);
    QCOMPARE(nextLine(first), u"first"_s);

    // Spaces, a percent sign and Cyrillic letters come through as they are.
    const QString file = u"/home/игрок/пули 100%/вторник.zelvara"_s;
    QProcess *second = start(path, {file});
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(second->readAll()).trimmed(), u"handed-over"_s);
    QCOMPARE(nextLine(first), u"shown"_s);
    QCOMPARE(nextLine(first), u"open "_s + file);
}

void SingleCopyTest::killedCopy_leftSocket_doesNotBlockNextStart()
{
    const QString path = uniquePath();
    QProcess *crashed = start(path);
    QCOMPARE(nextLine(crashed), u"first"_s);
    crashed->kill();
    QVERIFY(crashed->waitForFinished(5000));
    QVERIFY2(QFileInfo::exists(path), "a killed copy should leave its socket");

    QProcess *next = start(path);
    QCOMPARE(nextLine(next), u"first"_s);
    QProcess *later = start(path);
    QVERIFY(later->waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(later->readAll()).trimmed(), u"handed-over"_s);
    QCOMPARE(nextLine(next), u"shown"_s);
}

void SingleCopyTest::simultaneousStarts_endWithOneCopy()
{
    // With and without a stale socket in the way: both races must end with one copy.
    for (const bool stale : {false, true}) {
        const QString path = uniquePath();
        if (stale) {
            QProcess *crashed = start(path);
            QCOMPARE(nextLine(crashed), u"first"_s);
            crashed->kill();
            QVERIFY(crashed->waitForFinished(5000));
        }
        std::vector<QProcess *> starts;
        for (int i = 0; i < 4; ++i)
            starts.push_back(start(path));

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
        winner->kill();
        winner->waitForFinished(5000);
    }
}

void SingleCopyTest::pausedCopy_dropsRequestsOfAStartThatGaveUp()
{
    const QString path = uniquePath();
    QProcess *first = start(path);
    QCOMPARE(nextLine(first), u"first"_s);
    QCOMPARE(::kill(static_cast<pid_t>(first->processId()), SIGSTOP), 0);

    // The system takes the later start's connections for the paused copy; the start asks again and
    // again, gives up and runs on its own, opening the file itself.
    QProcess *second = start(path, {u"/home/player/once.zelvara"_s});
    QVERIFY(second->waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(second->readAll()).trimmed(), u"failed"_s);

    // Back, the copy finds every one of those requests unconfirmed: it neither comes forward for them
    // nor opens the file. The next start is the first it answers.
    QCOMPARE(::kill(static_cast<pid_t>(first->processId()), SIGCONT), 0);
    QProcess *third = start(path);
    QVERIFY(third->waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(third->readAll()).trimmed(), u"handed-over"_s);
    QCOMPARE(nextLine(first), u"shown"_s);
    QCOMPARE(nextLine(first, 500), QString());
}

void SingleCopyTest::requests_travelFramedAndRejectTheRest()
{
    using zelvara::platform::decodeRequest;
    using zelvara::platform::encodeRequest;
    using zelvara::platform::frame;
    using zelvara::platform::FrameReader;

    // Every byte a file name may hold travels as it is, a line break and a percent sign included.
    std::string odd = "/tmp/a b\tc\nd%41\x7f\x01";
    odd += "\xd0\xbf\xd1\x83\xd0\xbb\xd1\x8f";
    const std::string first = encodeRequest(odd);
    const std::string bytes = first + encodeRequest({});
    // Read a byte at a time, a message is whole only with its last byte.
    FrameReader reader;
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        reader.add(std::string_view(&bytes[i], 1));
        if (std::optional<std::string> message = reader.next()) {
            QVERIFY(i + 1 == first.size() || i + 1 == bytes.size());
            messages.push_back(*message);
        }
    }
    QCOMPARE(messages.size(), std::size_t{2});
    QVERIFY(decodeRequest(messages[0]).has_value());
    QCOMPARE(decodeRequest(messages[0])->file, odd);
    QVERIFY(decodeRequest(messages[1]).has_value());
    QVERIFY(decodeRequest(messages[1])->file.empty());

    // Only an absolute path is a file to open; anything else is not a request at all.
    for (const std::string &bad :
         {std::string("open relative.zelvara"), std::string("open "), std::string("open ../x"), std::string("show\n"),
          std::string("shown"), std::string("run /bin/sh"), std::string("Open /a"), std::string("open /a\0b", 9),
          "open /" + std::string(PATH_MAX, 'a')})
        QVERIFY2(!decodeRequest(bad).has_value(), bad.c_str());

    // A length no message of ours has breaks the stream: nothing after it counts, however well formed.
    FrameReader flooded;
    flooded.add(frame(std::string(zelvara::platform::MaxMessage + 1, 'x')) + encodeRequest({}));
    QVERIFY(!flooded.next().has_value());
    QVERIFY(flooded.broken());
}

void SingleCopyTest::strangersListener_learnsNothing_data()
{
    QTest::addColumn<bool>("atOldName");
    QTest::newRow("at the channel's own path") << false;
    QTest::newRow("under the old shared name") << true;
}

void SingleCopyTest::strangersListener_learnsNothing()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    QFETCH(bool, atOldName);
    QVERIFY(QDir(m_dir->path()).mkdir(u"runtime"_s));
    QVERIFY(
        QFile::setPermissions(m_dir->filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir->filePath(u"runtime"_s));
    environment.insert(u"TMPDIR"_s, m_dir->path());
    environment.insert(u"DISPLAY"_s, u":42"_s);
    // Before, every user's channel sat in the shared temporary folder, where anyone could take the name.
    const QString planted = atOldName ? m_dir->filePath(u"zelvara-0-_42"_s) : m_dir->filePath(u"runtime/zelvara-_42"_s);
    StrangerProcess stranger(StrangerProcess::Role::Listen, planted.toStdString());
    QVERIFY(stranger.ready());

    QProcess *copy = start(u"-"_s, {u"/home/player/secret.zelvara"_s}, environment);
    QCOMPARE(nextLine(copy), u"first"_s);
    bool connected = false;
    QCOMPARE(stranger.finish(&connected), std::string());
    if (atOldName)
        QVERIFY2(!connected, "the old shared name must not be used at all");
    // The start that took the channel over answers the next one.
    QProcess *later = start(u"-"_s, {}, environment);
    QVERIFY(later->waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(later->readAll()).trimmed(), u"handed-over"_s);
    QCOMPARE(nextLine(copy), u"shown"_s);
}

void SingleCopyTest::strangersRequest_isIgnored()
{
    if (::geteuid() != 0)
        QSKIP("needs root to act as another user");
    const QString path = uniquePath();
    QProcess *first = start(path);
    QCOMPARE(nextLine(first), u"first"_s);

    StrangerProcess stranger(StrangerProcess::Role::Connect, path.toStdString(),
                             zelvara::platform::encodeRequest("/tmp/x"));
    QVERIFY(stranger.ready());
    QCOMPARE(nextLine(first, 500), QString());
    // Hung up on without an answer.
    QCOMPARE(stranger.finish(), std::string());

    // The next line the first copy prints is for its own user's start, not the stranger's request.
    QProcess *second = start(path);
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(second->readAll()).trimmed(), u"handed-over"_s);
    QCOMPARE(nextLine(first), u"shown"_s);
}

void SingleCopyTest::channelFolder_takesOnlyAPrivateFolder_data()
{
    QTest::addColumn<QString>("runtime");  // what $XDG_RUNTIME_DIR is: private, open, or unset
    QTest::addColumn<QString>("fallback"); // what is at <tmp>/zelvara-<uid> beforehand
    QTest::addColumn<QString>("expected"); // which folder is used: runtime, fallback, or none

    QTest::newRow("private runtime folder") << u"private"_s << u"missing"_s << u"runtime"_s;
    QTest::newRow("no runtime folder: a new private one") << u"unset"_s << u"missing"_s << u"fallback"_s;
    QTest::newRow("runtime folder open to others") << u"open"_s << u"missing"_s << u"fallback"_s;
    QTest::newRow("own folder kept private") << u"unset"_s << u"private"_s << u"fallback"_s;
    QTest::newRow("own folder open to others") << u"unset"_s << u"open"_s << u"none"_s;
    QTest::newRow("a link to a private folder") << u"unset"_s << u"link"_s << u"none"_s;
    QTest::newRow("a file in its place") << u"unset"_s << u"file"_s << u"none"_s;
    QTest::newRow("another user's folder") << u"unset"_s << u"stranger"_s << u"none"_s;
}

void SingleCopyTest::channelFolder_takesOnlyAPrivateFolder()
{
    QFETCH(QString, runtime);
    QFETCH(QString, fallback);
    QFETCH(QString, expected);
    if (fallback == u"stranger"_s && ::geteuid() != 0)
        QSKIP("needs root to give a folder to another user");

    const std::string base = m_dir->path().toStdString();
    const std::string runtimePath = base + "/runtime";
    QCOMPARE(::mkdir(runtimePath.c_str(), runtime == u"open"_s ? 0755 : 0700), 0);
    QCOMPARE(::chmod(runtimePath.c_str(), runtime == u"open"_s ? 0755 : 0700), 0);
    const std::string own = base + "/zelvara-" + std::to_string(::geteuid());
    const std::string elsewhere = base + "/elsewhere";
    QCOMPARE(::mkdir(elsewhere.c_str(), 0700), 0);
    if (fallback == u"private"_s || fallback == u"open"_s || fallback == u"stranger"_s) {
        QCOMPARE(::mkdir(own.c_str(), 0700), 0);
        QCOMPARE(::chmod(own.c_str(), fallback == u"open"_s ? 0777 : 0700), 0);
        if (fallback == u"stranger"_s)
            QCOMPARE(::chown(own.c_str(), Stranger, Stranger), 0);
    } else if (fallback == u"link"_s) {
        QCOMPARE(::symlink(elsewhere.c_str(), own.c_str()), 0);
    } else if (fallback == u"file"_s) {
        QFile file(QString::fromStdString(own));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTmp = qgetenv("TMPDIR");
    if (runtime == u"unset"_s)
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtimePath));
    qputenv("TMPDIR", QByteArray::fromStdString(base));
    std::string problem;
    const std::string folder = zelvara::platform::channelFolder(&problem);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qputenv("TMPDIR", savedTmp);

    if (expected == u"runtime"_s) {
        QCOMPARE(folder, runtimePath);
    } else if (expected == u"fallback"_s) {
        QCOMPARE(folder, own);
        QCOMPARE(zelvara::platform::checkPrivateFolder(own, ::geteuid()), FolderCheck::Private);
    } else {
        QVERIFY2(folder.empty(), folder.c_str());
        QVERIFY(!problem.empty());
        if (fallback == u"open"_s) {
            struct stat info
            {};
            QCOMPARE(::stat(own.c_str(), &info), 0);
            QCOMPARE(info.st_mode & 0777, 0777U); // refused, not repaired
        }
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
    QTest::newRow("non-ASCII: one mark a byte") << u"дисплей"_s << QString(14, u'_');
}

void SingleCopyTest::sanitizedDisplay_keepsFileNameSafeCharacters()
{
    QFETCH(QString, display);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(zelvara::platform::sanitizedDisplay(display.toStdString())), expected);
}

void SingleCopyTest::displayWithoutScreen_namesOneDisplayOnce_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("expected");
    QTest::newRow("local X display") << u":91"_s << u":91"_s;
    QTest::newRow("with its screen") << u":91.0"_s << u":91"_s;
    QTest::newRow("another screen of it") << u":91.1"_s << u":91"_s;
    QTest::newRow("forwarded X display") << u"localhost:10.0"_s << u"localhost:10"_s;
    QTest::newRow("host name with dots") << u"pc.example.org:0.0"_s << u"pc.example.org:0"_s;
    QTest::newRow("Wayland socket") << u"wayland-1.0"_s << u"wayland-1.0"_s;
    QTest::newRow("no display number") << u"host:.0"_s << u"host:.0"_s;
    QTest::newRow("no screen number") << u":3."_s << u":3."_s;
}

void SingleCopyTest::displayWithoutScreen_namesOneDisplayOnce()
{
    QFETCH(QString, display);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(zelvara::platform::displayWithoutScreen(display.toStdString())), expected);
}

void SingleCopyTest::defaultSocketPath_isPerUserAndDisplay()
{
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", m_dir->path().toUtf8());
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("DISPLAY", ":7");
    QCOMPARE(zelvara::platform::defaultSocketPath(), m_dir->path().toStdString() + "/zelvara-_7");
    // The same display with its screen number: the same running copy.
    qputenv("DISPLAY", ":7.0");
    QCOMPARE(zelvara::platform::defaultSocketPath(), m_dir->path().toStdString() + "/zelvara-_7");
    qunsetenv("DISPLAY");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    QCOMPARE(zelvara::platform::defaultSocketPath(), m_dir->path().toStdString() + "/zelvara-wayland-0");
    // Too long for a socket address: no channel rather than a cut name.
    qputenv("WAYLAND_DISPLAY", QByteArray(120, 'w'));
    std::string problem;
    QVERIFY(zelvara::platform::defaultSocketPath(&problem).empty());
    QVERIFY(!problem.empty());
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
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
