// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on disk: its place, its encodings, what survives a rewrite, and a rewrite that fails.

#include "engine/utf8.h"
#include "platform/ini_file.h"
#include "platform/settings_location.h"
#include "settings/cp1251.h"
#include "settings/settings.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zelvara;
using testing::readBytes;
using testing::writeBytes;

namespace {

// What the window would get from the file at `path`.
app::SettingsToApply applyFile(const QString &path)
{
    platform::IniDocument document;
    platform::loadIniFile(document, path, app::decodeSettingsText);
    const auto stored =
        app::readSettings([&](std::string_view key) { return document.value(app::SettingsSection, key); }, ',');
    return app::applySettings(stored, ',', 42, [](const std::string &) { return 0; });
}

// Writes the settings of a three-player game as the end of a run does.
bool writeSettings(const QString &path, const platform::ChunkWriter &writer = {})
{
    app::WindowSettings window;
    window.players = 3;
    window.whistValueTexts = {"0,5", "2", "3"};
    window.names = {"Аня", "Боря", "Вера", "Гена", "Даша", "Егор", "Жора", "Зоя", "Ира"};
    return platform::updateIniFile(path, app::SettingsSection,
                                   app::settingsEntries(app::collectSettings(window, ','), ','),
                                   app::decodeSettingsText, writer);
}

} // namespace

class SettingsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void legacyFile_windows1251WithCrlf_readsNames();
    void rewrite_keepsOtherSectionsKeysAndComments();
    void names_withBlanksOrQuotes_comeBackUnchanged();
    void garbageFile_givesDefaults_data();
    void garbageFile_givesDefaults();
    void failedWrite_leavesPreviousFileIntact();
    void location_programFolderOrConfigFolder();
    void location_programFolderOnlyWhenNoOneElseCanChangeIt();
    void location_relativeHome_userDatabaseHome();
    void nulByte_restOfFileReadAndKept();
    void overLimit_readAsUnreadable_notReplaced_data();
    void overLimit_readAsUnreadable_notReplaced();
};

void SettingsFileTest::legacyFile_windows1251WithCrlf_readsNames()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    // "Вася", "Ёжик" and "Юля" in Windows-1251, as an older copy wrote them.
    writeBytes(path,
               QByteArray("[Zelvara]\r\nPlayersNumber=3\r\nNameOfP1For4=\xC2\xE0\xF1\xFF\r\n"
                          "NameOfP2For4=\xA8\xE6\xE8\xEA\r\nNameOfP3For3=\xDE\xEB\xFF\r\nValueOfWhistFor3=2,5\r\n"));
    const auto apply = applyFile(path);
    QCOMPARE(apply.players, std::optional<int>(3));
    QCOMPARE(QString::fromStdString(apply.names[0]), QStringLiteral("Вася"));
    QCOMPARE(QString::fromStdString(apply.names[1]), QStringLiteral("Ёжик"));
    QCOMPARE(QString::fromStdString(apply.names[6]), QStringLiteral("Юля"));
    QCOMPARE(apply.whistValueTexts[1].value_or(""), std::string("2,5"));
    // Overlong forms and surrogates are not UTF-8 either.
    QVERIFY(!engine::isValidUtf8("\xC0\xAF") && !engine::isValidUtf8("\xED\xA0\x80") && engine::isValidUtf8("Юг"));
    // The code page's one undefined byte does not stop the rest: "Ёлка №1", then the euro sign.
    QCOMPARE(QString::fromStdString(app::cp1251ToUtf8("\xA8\xEB\xEA\xE0 \xB9"
                                                      "1\x98\x88")),
             QStringLiteral("Ёлка №1\uFFFD€"));
}

void SettingsFileTest::rewrite_keepsOtherSectionsKeysAndComments()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    writeBytes(path,
               QByteArray("; kept at the top\r\n[Window]\r\nLeft = 10\r\n; about the program\r\n[Zelvara]\r\n"
                          "PlayersNumber=4\r\nNameOfP1For4=\xC2\xE0\xF1\xFF\r\nLegacyKey=stays\r\n[Other]\r\nx=y\r\n"
                          "; kept at the end\r\n"));
    // Twice, to show nothing accumulates.
    QVERIFY(writeSettings(path) && writeSettings(path));

    const QByteArray bytes = readBytes(path);
    QVERIFY(engine::isValidUtf8(bytes.toStdString()) && !bytes.startsWith("\xEF\xBB\xBF") && !bytes.contains('\r'));
    const QString text = QString::fromUtf8(bytes);
    for (const char *kept : {"; kept at the top", "Left=10", "; about the program", "LegacyKey=stays", "[Other]", "x=y",
                             "; kept at the end", "PlayersNumber=3\n", "NameOfP1For4=Аня\n"})
        QVERIFY2(text.count(QString::fromUtf8(kept)) == 1, kept);
    QVERIFY(text.indexOf(QStringLiteral("[Window]")) < text.indexOf(QStringLiteral("[Zelvara]")));
    // A new file lists the keys in the table's order, as plain key=value lines.
    const QString fresh = dir.filePath(QStringLiteral("NEW.INI"));
    QVERIFY(writeSettings(fresh));
    const QString written = QString::fromUtf8(readBytes(fresh));
    qsizetype at = 0;
    for (const char *key : {"PlayersNumber", "GameType", "HeapDivisibility", "ValueOfWhistFor4", "NameOfP1For4",
                            "NameOfP2For4", "NameOfP3For4", "NameOfP4For4", "ValueOfWhistFor3", "NameOfP1For3",
                            "NameOfP2For3", "NameOfP3For3", "ValueOfWhistFor2", "NameOfP1For2", "NameOfP2For2"}) {
        at = written.indexOf(u'\n' + QString::fromUtf8(key) + u'=', at);
        QVERIFY2(at > 0, key);
    }
}

void SettingsFileTest::names_withBlanksOrQuotes_comeBackUnchanged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    // "Юг " and "Юг" are different players; an INI reader drops the blanks around a value.
    const std::vector<std::pair<std::string, std::string>> names = {
        {"NameOfP1For4", "Юг "}, {"NameOfP2For4", "  Север"}, {"NameOfP3For4", "\"Восток\""}, {"NameOfP4For4", "a=b"}};
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, names, app::decodeSettingsText));
    platform::IniDocument document;
    platform::loadIniFile(document, path, app::decodeSettingsText);
    for (const auto &[key, name] : names)
        QCOMPARE(document.value(app::SettingsSection, key).value_or("<missing>"), name);
    // A value someone put in quotes by hand reads without them, as on Windows.
    writeBytes(path, QByteArray("[Zelvara]\nNameOfP1For4=\"Петя\"\n"));
    platform::loadIniFile(document, path, app::decodeSettingsText);
    QCOMPARE(document.value(app::SettingsSection, "NameOfP1For4").value_or(""), std::string("Петя"));
}

void SettingsFileTest::garbageFile_givesDefaults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray random(64 * 1024, '\0');
    QRandomGenerator seeded(20261208);
    for (char &c : random)
        c = static_cast<char>(seeded.bounded(256));
    QTest::newRow("random bytes") << random;
    // Nearly as large as a settings file is read, leaving room for the settings the rewrite adds.
    constexpr auto Large = static_cast<qsizetype>(platform::MaxIniFileBytes) - 1024;
    QTest::newRow("a huge line") << QByteArray(Large, 'Z');
    QTest::newRow("a huge section name") << (QByteArray("[") + QByteArray(Large, 'S') + "\nPlayersNumber=3\n");
    QTest::newRow("nul bytes") << QByteArray("\0\0[Zelvara]\0PlayersNumber=3\0", 27);
    QTest::newRow("unclosed section") << QByteArray("[Zelvara\nPlayersNumber=3\n");
}

void SettingsFileTest::garbageFile_givesDefaults()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    writeBytes(path, bytes);
    const auto apply = applyFile(path);
    QVERIFY(!apply.players && !apply.gameType && !apply.heapDivision);
    QCOMPARE(QString::fromStdString(apply.names[3]), QString());
    // The file can still be rewritten and read back.
    QVERIFY(writeSettings(path));
    QCOMPARE(applyFile(path).players, std::optional<int>(3));
}

void SettingsFileTest::failedWrite_leavesPreviousFileIntact()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    const QByteArray previous("[Zelvara]\nPlayersNumber=2\nNameOfP1For2=Лев\n");
    writeBytes(path, previous);

    // The disk fills up halfway through.
    QVERIFY(!writeSettings(path, [](int fd, std::string_view bytes) {
        [[maybe_unused]] const auto written = ::write(fd, bytes.data(), bytes.size() / 2);
        return false;
    }));
    QCOMPARE(readBytes(path), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("SETTINGS.INI")});

    // A file where the folder should be: not even root can write below it.
    QVERIFY(!writeSettings(path + QStringLiteral("/SETTINGS.INI")));
    QCOMPARE(readBytes(path), previous);

    // A write-protected file stays as it is, whoever runs the program; through a link as well.
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(path, readOnly));
    const QString link = dir.filePath(QStringLiteral("LINKED.INI"));
    QVERIFY(QFile::link(path, link));
    QVERIFY(!writeSettings(path));
    QVERIFY(!writeSettings(link));
    QCOMPARE(readBytes(path), previous);
    QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), readOnly);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{QStringLiteral("LINKED.INI"), QStringLiteral("SETTINGS.INI")}));
}

void SettingsFileTest::location_programFolderOrConfigFolder()
{
    QTemporaryDir dir;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    // A writable program folder holds the file, whatever the environment says.
    if (platform::SettingsBesideProgramBuilt)
        QCOMPARE(platform::settingsFilePath(dir.path(), environment), dir.filePath(QStringLiteral("SETTINGS.INI")));

    // One the program cannot write to (here: not there at all) sends it to the configuration folder,
    // which the first write creates.
    const QString installed = dir.filePath(QStringLiteral("usr/bin"));
    const QString configured = platform::settingsFilePath(installed, environment);
    QCOMPARE(configured, dir.filePath(QStringLiteral("config/zelvara/SETTINGS.INI")));
    QVERIFY(writeSettings(configured));
    QCOMPARE(applyFile(configured).players, std::optional<int>(3));

    // A relative or missing XDG_CONFIG_HOME means ~/.config.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
    QCOMPARE(platform::settingsFilePath(installed, environment),
             dir.filePath(QStringLiteral("home/.config/zelvara/SETTINGS.INI")));
}

void SettingsFileTest::location_programFolderOnlyWhenNoOneElseCanChangeIt()
{
    QTemporaryDir dir;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    const QString configured = dir.filePath(QStringLiteral("config/zelvara/SETTINGS.INI"));
    const auto place = [&](const QString &folder) {
        const QString path = platform::settingsFilePath(folder, environment);
        return path == configured ? QStringLiteral("config") : path;
    };
    const auto beside = [](const QString &folder) {
        return platform::SettingsBesideProgramBuilt
                   ? QFileInfo(folder).canonicalFilePath() + QStringLiteral("/SETTINGS.INI")
                   : QStringLiteral("config");
    };
    const auto makeFolder = [&dir](const char *name, QFile::Permissions permissions) {
        const QString folder = dir.filePath(QString::fromUtf8(name));
        if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, permissions))
            return QString();
        return folder;
    };
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

    const QString own = makeFolder("own", owner);
    QCOMPARE(place(own), beside(own));
    // A link is followed to the folder it leads to, and that folder's path is used.
    const QString link = dir.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(own, link));
    QCOMPARE(place(link), beside(own));
    // Someone else may write to it, or rename it away from the folder above it.
    QCOMPARE(place(makeFolder("group", owner | QFile::WriteGroup | QFile::ExeGroup)), QStringLiteral("config"));
    QCOMPARE(place(makeFolder("others", owner | QFile::WriteOther | QFile::ExeOther)), QStringLiteral("config"));
    const QString shared = makeFolder("shared", owner | QFile::WriteGroup | QFile::ExeGroup);
    QCOMPARE(place(makeFolder("shared/inside", owner)), QStringLiteral("config"));
    // In a sticky folder, as in /tmp, no one else can rename the player's folder.
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), S_IRWXU | S_IRWXG | S_IRWXO | S_ISVTX) == 0);
    QCOMPARE(place(dir.filePath(QStringLiteral("shared/inside"))),
             beside(dir.filePath(QStringLiteral("shared/inside"))));
    // Write-protected for the player too: nothing beside it.
    QCOMPARE(place(makeFolder("readOnly", QFile::ReadOwner | QFile::ExeOwner)), QStringLiteral("config"));

    // The system's folders, as the system finds them, whoever runs the program.
    for (const char *system : {"/", "/usr/bin", "/bin", "/sbin", "/lib", "/etc", "/opt"})
        QVERIFY2(place(QString::fromUtf8(system)) == QStringLiteral("config"), system);
    const QString toSystem = dir.filePath(QStringLiteral("to-usr"));
    QVERIFY(QFile::link(QStringLiteral("/usr/bin"), toSystem));
    QCOMPARE(place(toSystem), QStringLiteral("config"));

    // Another user's folder, or a folder of the player's in another user's folder.
    if (::geteuid() != 0)
        QSKIP("needs root to give a folder to another user");
    constexpr uid_t Stranger = 65534;
    const QString theirs = makeFolder("theirs", owner);
    QCOMPARE(::chown(QFile::encodeName(theirs).constData(), Stranger, Stranger), 0);
    QCOMPARE(place(theirs), QStringLiteral("config"));
    const QString above = makeFolder("above", owner | QFile::ExeOther);
    const QString mine = makeFolder("above/mine", owner);
    QCOMPARE(place(mine), beside(mine));
    QCOMPARE(::chown(QFile::encodeName(above).constData(), Stranger, Stranger), 0);
    QCOMPARE(place(mine), QStringLiteral("config"));
}

void SettingsFileTest::location_relativeHome_userDatabaseHome()
{
    const passwd *user = ::getpwuid(::geteuid());
    QVERIFY(user && user->pw_dir);
    const QString expected =
        QDir(QFile::decodeName(user->pw_dir)).filePath(QStringLiteral(".config/zelvara/SETTINGS.INI"));
    for (const char *home : {"relative/home", "", "~"}) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), QString::fromUtf8(home));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
        QCOMPARE(platform::settingsFilePath(QString(), environment), expected);
    }
    QCOMPARE(platform::settingsFilePath(QString(), QProcessEnvironment()), expected);
}

void SettingsFileTest::nulByte_restOfFileReadAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    // A NUL in the first section, the window's settings and another section after it.
    writeBytes(path,
               QByteArray("[Other]\nKey=a") + '\0' +
                   QStringLiteral("b\n[Zelvara]\nPlayersNumber=2\nNameOfP1For2=Лев\n[Window]\nLeft=10\n").toUtf8());
    const auto apply = applyFile(path);
    QCOMPARE(apply.players, std::optional<int>(2));
    QCOMPARE(QString::fromStdString(apply.names[7]), QStringLiteral("Лев"));
    QVERIFY(writeSettings(path));
    const QString text = QString::fromUtf8(readBytes(path));
    for (const char *kept : {"[Other]\nKey=ab\n", "[Window]\nLeft=10\n", "PlayersNumber=3\n"})
        QVERIFY2(text.contains(QString::fromUtf8(kept)), qPrintable(text));
}

void SettingsFileTest::overLimit_readAsUnreadable_notReplaced_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("rewritten");
    constexpr auto Limit = static_cast<qsizetype>(platform::MaxIniFileBytes);
    QTest::newRow("room for the settings: read and rewritten") << Limit - 1024 << true << true;
    // A rewrite must not make a file the next start cannot read.
    QTest::newRow("at the limit: read, not rewritten larger") << Limit << true << false;
    QTest::newRow("one byte more: neither read nor replaced") << Limit + 1 << false << false;
}

void SettingsFileTest::overLimit_readAsUnreadable_notReplaced()
{
    QFETCH(qsizetype, size);
    QFETCH(bool, read);
    QFETCH(bool, rewritten);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    QByteArray bytes("[Zelvara]\nPlayersNumber=2\n[Padding]\n");
    bytes += QByteArray(size - bytes.size(), ';');
    writeBytes(path, bytes);
    QCOMPARE(applyFile(path).players, read ? std::optional<int>(2) : std::nullopt);
    QCOMPARE(writeSettings(path), rewritten);
    QCOMPARE(readBytes(path) == bytes, !rewritten);
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
