// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on disk: its place, its encodings, what survives a rewrite, and a rewrite that fails.

#include "app/cp1251.h"
#include "app/settings.h"
#include "platform/ini_file.h"
#include "platform/settings_location.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace zelvara;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the window would get from the file at `path`.
app::SettingsToApply applyFile(const QString &path)
{
    platform::IniDocument document;
    platform::loadIniFile(document, path, app::decodeSettingsText);
    const auto stored =
        app::readSettings([&](std::string_view key) { return document.value(app::SettingsSection, key); }, ',');
    return app::applySettings(
        stored, ',', 42, [](const std::string &text) { return static_cast<int>(QString::fromStdString(text).size()); });
}

std::vector<std::pair<std::string, std::string>> someEntries()
{
    app::WindowSettings window;
    window.players = 3;
    window.whistValueTexts = {"0,5", "2", "3"};
    window.names = {"Аня", "Боря", "Вера", "Гена", "Даша", "Егор", "Жора", "Зоя", "Ира"};
    return app::settingsEntries(app::collectSettings(window, ','), ',');
}

bool failHalfway(int fd, std::string_view bytes)
{
    const auto half = bytes.size() / 2;
    return ::write(fd, bytes.data(), half) == static_cast<ssize_t>(half) && false;
}

} // namespace

class SettingsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void utf8Check_data();
    void utf8Check();
    void legacyFile_windows1251WithCrlf_readsNames();
    void rewrite_keepsOtherSectionsKeysAndComments();
    void rewrite_writesPlainKeyValueLinesInUtf8();
    void missingFile_givesDesignStateAndIsCreated();
    void garbageFile_givesDefaults_data();
    void garbageFile_givesDefaults();
    void failedWrite_leavesPreviousFileIntact();
    void unwritablePlace_reportsFailure();
    void location_programFolderOrConfigFolder();
};

void SettingsFileTest::utf8Check_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("cyrillic") << QByteArray("Запад") << true;
    QTest::newRow("four-byte") << QByteArray("\xF0\x9F\x83\x8F") << true;
    QTest::newRow("windows-1251 text") << QByteArray("\xC7\xE0\xEF\xE0\xE4") << false;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("cut at the end") << QByteArray("\xD0") << false;
}

void SettingsFileTest::utf8Check()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(app::isValidUtf8(bytes.toStdString()), valid);
}

void SettingsFileTest::legacyFile_windows1251WithCrlf_readsNames()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    // "Вася", "Ёжик" and "Юля" in Windows-1251, as an older copy wrote them.
    writeBytes(path, QByteArray("[Zelvara]\r\nPlayersNumber=3\r\nNameOfP1For4=\xC2\xE0\xF1\xFF\r\n"
                                "NameOfP2For4=\xA8\xE6\xE8\xEA\r\nNameOfP3For3=\xDE\xEB\xFF\r\n"
                                "ValueOfWhistFor3=2,5\r\n"));
    const auto apply = applyFile(path);
    QCOMPARE(apply.players, std::optional<int>(3));
    QCOMPARE(QString::fromStdString(apply.names[0]), QStringLiteral("Вася"));
    QCOMPARE(QString::fromStdString(apply.names[1]), QStringLiteral("Ёжик"));
    QCOMPARE(QString::fromStdString(apply.names[6]), QStringLiteral("Юля"));
    QCOMPARE(apply.whistValueTexts[1].value_or(""), std::string("2,5"));

    // Rewritten, the file is UTF-8 and reads the same.
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, {{"GameType", "2"}}, app::decodeSettingsText));
    QVERIFY(app::isValidUtf8(readBytes(path).toStdString()));
    QCOMPARE(QString::fromStdString(applyFile(path).names[0]), QStringLiteral("Вася"));
}

void SettingsFileTest::rewrite_keepsOtherSectionsKeysAndComments()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    writeBytes(path, QByteArray("; kept at the top\n[Window]\nLeft = 10\n; about the program\n[Zelvara]\n"
                                "PlayersNumber=4\nLegacyKey=stays\n[Other]\nx=y\n; kept at the end\n"));
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText));
    // Twice, to show nothing accumulates.
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText));

    const QString text = QString::fromUtf8(readBytes(path));
    for (const char *kept : {"; kept at the top", "Left=10", "; about the program", "LegacyKey=stays", "[Other]", "x=y",
                             "; kept at the end"}) {
        QVERIFY2(text.contains(QString::fromUtf8(kept)), kept);
        QCOMPARE(text.count(QString::fromUtf8(kept)), 1);
    }
    QVERIFY(text.contains(QStringLiteral("PlayersNumber=3\n")));
    QVERIFY(!text.contains(QStringLiteral("PlayersNumber=4")));
    QVERIFY(text.indexOf(QStringLiteral("[Window]")) < text.indexOf(QStringLiteral("[Zelvara]")));
}

void SettingsFileTest::rewrite_writesPlainKeyValueLinesInUtf8()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText));
    const QByteArray bytes = readBytes(path);
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(!bytes.contains('\r'));
    QStringList lines = QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(), QStringLiteral("[Zelvara]"));
    QCOMPARE(lines.size(), int(app::SettingsKeys.size()));
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(QString::fromUtf8(app::SettingsKeys[std::size_t(i)]) + u'='),
                 qPrintable(lines[i]));
    QVERIFY(lines.contains(QStringLiteral("ValueOfWhistFor4=0,5")));
    QVERIFY(lines.contains(QStringLiteral("NameOfP1For4=Аня")));
}

void SettingsFileTest::missingFile_givesDesignStateAndIsCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zelvara/SETTINGS.INI"));
    const auto apply = applyFile(path);
    QVERIFY(!apply.players && !apply.gameType && !apply.heapDivision);
    QVERIFY(!apply.whistValueTexts[0] && !apply.whistValueTexts[1] && !apply.whistValueTexts[2]);
    QCOMPARE(QString::fromStdString(apply.names[0]), QStringLiteral("Запад"));
    QCOMPARE(QString::fromStdString(apply.names[8]), QStringLiteral("Юг"));

    // The configuration folder does not exist on a first start; writing makes it.
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText));
    QCOMPARE(applyFile(path).players, std::optional<int>(3));
}

void SettingsFileTest::garbageFile_givesDefaults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray random(64 * 1024, '\0');
    QRandomGenerator seeded(20261208);
    for (char &c : random)
        c = static_cast<char>(seeded.bounded(256));
    QTest::newRow("random bytes") << random;
    QTest::newRow("a huge line") << QByteArray(4 * 1024 * 1024, 'Z');
    QTest::newRow("a huge section name") << (QByteArray("[") + QByteArray(1024 * 1024, 'S') + "\nPlayersNumber=3\n");
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
    QCOMPARE(QString::fromStdString(apply.names[3]), QStringLiteral("Юг"));
    // And the file can still be rewritten, the settings then read back.
    QVERIFY(platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText));
    QCOMPARE(applyFile(path).players, std::optional<int>(3));
}

void SettingsFileTest::failedWrite_leavesPreviousFileIntact()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SETTINGS.INI"));
    const QByteArray previous("[Zelvara]\nPlayersNumber=2\nNameOfP1For2=Лев\n");
    writeBytes(path, previous);

    QVERIFY(!platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText, failHalfway));
    QCOMPARE(readBytes(path), previous);
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("SETTINGS.INI")});
}

void SettingsFileTest::unwritablePlace_reportsFailure()
{
    QTemporaryDir dir;
    // A file where the folder should be: no one, not even root, can write below it.
    writeBytes(dir.filePath(QStringLiteral("blocked")), "x");
    const QString path = dir.filePath(QStringLiteral("blocked/SETTINGS.INI"));
    QVERIFY(!platform::updateIniFile(path, app::SettingsSection, someEntries(), app::decodeSettingsText));

    // A read-only folder, where permissions apply.
    if (::geteuid() != 0) {
        const QString folder = dir.filePath(QStringLiteral("readonly"));
        QVERIFY(QDir().mkpath(folder));
        const QString inside = folder + QStringLiteral("/SETTINGS.INI");
        writeBytes(inside, "[Zelvara]\nGameType=2\n");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!platform::updateIniFile(inside, app::SettingsSection, someEntries(), app::decodeSettingsText));
        QCOMPARE(readBytes(inside), QByteArray("[Zelvara]\nGameType=2\n"));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

void SettingsFileTest::location_programFolderOrConfigFolder()
{
    QTemporaryDir dir;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));

    // A writable program folder holds the file, whatever the environment says.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    QCOMPARE(platform::settingsFilePath(dir.path(), environment), dir.filePath(QStringLiteral("SETTINGS.INI")));

    // A program folder the program cannot write to (here: one that is not there) sends it to the
    // configuration folder.
    const QString installed = dir.filePath(QStringLiteral("usr/bin"));
    QCOMPARE(platform::settingsFilePath(installed, environment),
             dir.filePath(QStringLiteral("config/zelvara/SETTINGS.INI")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
    QCOMPARE(platform::settingsFilePath(installed, environment),
             dir.filePath(QStringLiteral("home/.config/zelvara/SETTINGS.INI")));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    QCOMPARE(platform::settingsFilePath(installed, environment),
             dir.filePath(QStringLiteral("home/.config/zelvara/SETTINGS.INI")));
}

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
