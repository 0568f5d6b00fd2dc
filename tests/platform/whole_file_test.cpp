// SPDX-License-Identifier: GPL-3.0-or-later
// Files read and written whole: only a regular file of bounded size is read, and a read never waits;
// a write replaces a regular file or makes a new one, follows the player's own links and never another
// user's, and leaves nothing else behind.

#include "platform/whole_file.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using zelvara::platform::MissingFolder;
using zelvara::platform::readFileBytes;
using zelvara::platform::writeFileAtomically;
using zelvara::testing::readBytes;
using zelvara::testing::writeBytes;

namespace {

// The user that owns the links planted by "another user"; only root can give a link away.
constexpr uid_t Stranger = 65534;

QByteArray name(const QString &path)
{
    return QFile::encodeName(path);
}

mode_t typeOf(const QString &path)
{
    struct stat entry
    {};
    return ::lstat(name(path).constData(), &entry) == 0 ? (entry.st_mode & S_IFMT) : 0;
}

bool link(const QString &target, const QString &path, uid_t owner)
{
    return ::symlink(name(target).constData(), name(path).constData()) == 0 &&
           (owner == ::geteuid() || ::lchown(name(path).constData(), owner, owner) == 0);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class WholeFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_folder = std::make_unique<QTemporaryDir>(); }

    void read_onlyRegularFileWithinLimit();
    void read_fifo_doesNotWait();
    void write_notARegularFile_leftAsItIs_data();
    void write_notARegularFile_leftAsItIs();
    void write_ownLinksFollowed_evenDangling();
    void write_anotherUsersLink_refused();
    void write_replacedFileKeepsPermissions();

private:
    QString path(const QString &file) const { return m_folder->filePath(file); }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void WholeFileTest::read_onlyRegularFileWithinLimit()
{
    writeBytes(path(u"three"_s), "abc");
    QCOMPARE(readFileBytes(path(u"three"_s), 3), std::optional<std::string>("abc"));
    QCOMPARE(readFileBytes(path(u"three"_s), 2), std::nullopt);
    QVERIFY(link(path(u"three"_s), path(u"own link"_s), ::geteuid()));
    QCOMPARE(readFileBytes(path(u"own link"_s), 3), std::optional<std::string>("abc"));
    // Endless, or not a file at all: nothing is read, and the read ends at once.
    QVERIFY(link(u"/dev/zero"_s, path(u"zeros"_s), ::geteuid()));
    QCOMPARE(readFileBytes(path(u"zeros"_s), 1024), std::nullopt);
    QVERIFY(QDir(m_folder->path()).mkdir(u"folder"_s));
    QCOMPARE(readFileBytes(path(u"folder"_s), 1024), std::nullopt);
    QCOMPARE(readFileBytes(path(u"missing"_s), 1024), std::nullopt);
}

void WholeFileTest::read_fifo_doesNotWait()
{
    const QString fifo = path(u"fifo"_s);
    QCOMPARE(::mkfifo(name(fifo).constData(), 0600), 0);
    auto read = std::async(std::launch::async, [&fifo] { return readFileBytes(fifo, 1024); });
    if (read.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        // A writer that comes and goes lets the waiting read end, so that the test can.
        const int writer = ::open(name(fifo).constData(), O_WRONLY | O_CLOEXEC);
        ::close(writer);
        read.wait();
        QFAIL("the read waits for a writer of the FIFO");
    }
    QCOMPARE(read.get(), std::nullopt);
}

void WholeFileTest::write_notARegularFile_leftAsItIs_data()
{
    QTest::addColumn<QString>("made"); // what stands at the name before the write
    QTest::newRow("a FIFO") << u"fifo"_s;
    QTest::newRow("the player's link to a FIFO") << u"link to fifo"_s;
    QTest::newRow("a folder") << u"folder"_s;
}

void WholeFileTest::write_notARegularFile_leftAsItIs()
{
    QFETCH(QString, made);
    const QString target = path(u"SETTINGS.INI"_s);
    const QString fifo = path(u"fifo"_s);
    if (made == u"folder")
        QVERIFY(QDir(m_folder->path()).mkdir(u"SETTINGS.INI"_s));
    else
        QCOMPARE(::mkfifo(name(made == u"fifo" ? target : fifo).constData(), 0600), 0);
    if (made == u"link to fifo")
        QVERIFY(link(fifo, target, ::geteuid()));
    const mode_t before = typeOf(target);
    const QStringList there = entries(m_folder->path());

    QVERIFY(!writeFileAtomically(target, "[Zelvara]\n", MissingFolder::Create));
    QCOMPARE(typeOf(target), before);
    QCOMPARE(entries(m_folder->path()), there);
    if (made == u"link to fifo")
        QCOMPARE(typeOf(fifo), mode_t(S_IFIFO));
}

void WholeFileTest::write_ownLinksFollowed_evenDangling()
{
    writeBytes(path(u"real"_s), "old");
    // A chain of the player's links, the second one relative to its own folder.
    QVERIFY(QDir(m_folder->path()).mkdir(u"sub"_s));
    QVERIFY(link(u"../real"_s, path(u"sub/relative"_s), ::geteuid()));
    QVERIFY(link(path(u"sub/relative"_s), path(u"first"_s), ::geteuid()));
    QVERIFY(writeFileAtomically(path(u"first"_s), "new"));
    QCOMPARE(readBytes(path(u"real"_s)), QByteArray("new"));
    QCOMPARE(typeOf(path(u"first"_s)), mode_t(S_IFLNK));
    QCOMPARE(typeOf(path(u"sub/relative"_s)), mode_t(S_IFLNK));

    // A dangling link makes the file it names; its missing folder only when asked to.
    QVERIFY(link(path(u"made/file"_s), path(u"dangling"_s), ::geteuid()));
    QVERIFY(!writeFileAtomically(path(u"dangling"_s), "made"));
    QVERIFY(!QFile::exists(path(u"made"_s)));
    QVERIFY(writeFileAtomically(path(u"dangling"_s), "made", MissingFolder::Create));
    QCOMPARE(readBytes(path(u"made/file"_s)), QByteArray("made"));
    QCOMPARE(entries(path(u"made"_s)), QStringList{u"file"_s});
}

void WholeFileTest::write_anotherUsersLink_refused()
{
    if (::geteuid() != 0)
        QSKIP("needs root to give a link to another user");
    writeBytes(path(u"victim"_s), "theirs");
    QVERIFY(link(path(u"victim"_s), path(u"planted"_s), Stranger));
    QVERIFY(link(path(u"never/made"_s), path(u"planted dangling"_s), Stranger));
    // The player's own link leading to another user's link is refused too.
    QVERIFY(link(path(u"planted"_s), path(u"own"_s), ::geteuid()));
    const QStringList there = entries(m_folder->path());

    for (const QString &file : {u"planted"_s, u"planted dangling"_s, u"own"_s})
        QVERIFY2(!writeFileAtomically(path(file), "mine", MissingFolder::Create), qPrintable(file));
    QCOMPARE(readBytes(path(u"victim"_s)), QByteArray("theirs"));
    QCOMPARE(entries(m_folder->path()), there);
    QCOMPARE(typeOf(path(u"planted"_s)), mode_t(S_IFLNK));
}

void WholeFileTest::write_replacedFileKeepsPermissions()
{
    const QString file = path(u"sheet.zelvara"_s);
    writeBytes(file, "old");
    QCOMPARE(::chmod(name(file).constData(), 0640), 0);
    QVERIFY(writeFileAtomically(file, "new"));
    QCOMPARE(readBytes(file), QByteArray("new"));
    struct stat entry
    {};
    QCOMPARE(::stat(name(file).constData(), &entry), 0);
    QCOMPARE(entry.st_mode & 07777, mode_t(0640));
    QCOMPARE(entries(m_folder->path()), QStringList{u"sheet.zelvara"_s});
}

QTEST_GUILESS_MAIN(WholeFileTest)
#include "whole_file_test.moc"
