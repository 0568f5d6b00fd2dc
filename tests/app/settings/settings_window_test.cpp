// SPDX-License-Identifier: GPL-3.0-or-later
// The main window with its settings file, its About window and its rules document: what a player sees
// after a restart, a file that cannot be written, and the two commands of the Info menu.

#include "app/about_window.h"
#include "app/main_window.h"
#include "app/window_settings_file.h"
#include "settings/settings.h"
#include "tests/support/recording_desktop.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;
using zelvara::app::TAboutProgram;
using zelvara::app::TZelvara;
using zelvara::engine::GameType;
using zelvara::engine::HeapDivision;

class SettingsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStart_designStateThenEveryKeyWritten();
    void restart_restoresOptionsWhistValuesAndAllNineNames();
    void handEditedFile_appliedWithinLimits();
    void unwritableFile_showsMessageAndKeepsOldFile();
    void about_opensFromMenuAndButton_closeBoxEnablesMainWindow();
    void rulesDocument_data();
    void rulesDocument();

private:
    // What the program does at start and at the end.
    void start()
    {
        m_window = std::make_unique<TZelvara>(m_desktop);
        m_settings = std::make_unique<zelvara::app::WindowSettingsFile>(m_desktop);
        m_settings->read(*m_window);
    }
    void end()
    {
        m_settings->write(*m_window);
        m_window.reset();
    }
    QString settingsPath() const { return m_dir->filePath(u"SETTINGS.INI"_s); }
    void writeSettings(const QByteArray &bytes)
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readSettings() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    template <typename T> T *find(const QString &name) const
    {
        auto *found = m_window->findChild<T *>(name);
        if (found == nullptr)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString text(const QString &field) const { return m_window->fieldText(field); }

    std::unique_ptr<QTemporaryDir> m_dir;
    zelvara::testing::RecordingDesktop m_desktop;
    std::unique_ptr<TZelvara> m_window;
    std::unique_ptr<zelvara::app::WindowSettingsFile> m_settings;
};

void SettingsWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_desktop.clear();
    m_desktop.folder = m_dir->path();
    m_desktop.settingsFile = settingsPath();
    m_desktop.existing.clear();
}

void SettingsWindowTest::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void SettingsWindowTest::firstStart_designStateThenEveryKeyWritten()
{
    start();
    QCOMPARE(m_window->selectedPlayers(), 4);
    QCOMPARE(m_window->options().gameType, GameType::Sochi);
    QCOMPARE(m_window->options().heapDivision, HeapDivision::OnNPlayers);
    for (const QString &field : {u"ValueOfWhistFor4"_s, u"ValueOfWhistFor3"_s, u"ValueOfWhistFor2"_s})
        QCOMPARE(text(field), u"1"_s);
    // No names yet: the player is asked for them.
    QCOMPARE(text(u"NameOfP1For4"_s), QString());
    QCOMPARE(text(u"NameOfP2For3"_s), QString());
    QCOMPARE(text(u"NameOfP1For2"_s), QString());
    end();

    const QStringList lines = QString::fromUtf8(readSettings()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 16); // the section and fifteen keys
    QCOMPARE(lines[0], u"[Zelvara]"_s);
    QVERIFY(lines.contains(u"NameOfP4For4="_s));
    QVERIFY(m_desktop.messages.isEmpty());
}

void SettingsWindowTest::restart_restoresOptionsWhistValuesAndAllNineNames()
{
    const QStringList names = {u"Аня"_s,  u"Боря"_s, u"Вера"_s, u"Гена"_s, u"Даша"_s,
                               u"Егор"_s, QString(), u"Зоя"_s,  u"Ира"_s};
    QStringList nameFields;
    for (const auto &seat : zelvara::app::NameSeats)
        nameFields << u"NameOfP%1For%2"_s.arg(seat.player).arg(seat.players);
    start();
    QTest::mouseClick(find<QRadioButton>(u"Players3"_s), Qt::LeftButton);
    QTest::mouseClick(find<QRadioButton>(u"Leningrad"_s), Qt::LeftButton);
    QTest::mouseClick(find<QRadioButton>(u"OnNPlayersMinus1"_s), Qt::LeftButton);
    m_window->setFieldText(u"ValueOfWhistFor4"_s, u" 0,5 "_s);
    m_window->setFieldText(u"ValueOfWhistFor3"_s, u"abc"_s);
    m_window->setFieldText(u"ValueOfWhistFor2"_s, u"12,34"_s);
    for (int i = 0; i < names.size(); ++i)
        m_window->setFieldText(nameFields[i], names[i]);
    end();

    start();
    QCOMPARE(m_window->selectedPlayers(), 3);
    QVERIFY(find<QWidget>(u"PanelFor3"_s)->isVisibleTo(m_window.get()));
    QCOMPARE(m_window->options().gameType, GameType::Leningrad);
    QCOMPARE(m_window->options().heapDivision, HeapDivision::OnNPlayersMinus1);
    QCOMPARE(text(u"ValueOfWhistFor4"_s), u"0,5"_s);
    QCOMPARE(text(u"ValueOfWhistFor3"_s), u"1"_s);
    QCOMPARE(text(u"ValueOfWhistFor2"_s), u"12,34"_s);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(text(nameFields[i]), names[i]);
    end();
    QVERIFY(m_desktop.messages.isEmpty());
}

void SettingsWindowTest::handEditedFile_appliedWithinLimits()
{
    writeSettings(u"[Zelvara]\r\nPlayersNumber=2\r\nGameType=7\r\nHeapDivisibility=2\r\nValueOfWhistFor2=123456\r\n"
                  u"NameOfP1For4=Константин Константинович\r\nNameOfP2For4=Ян\r\nNameOfP3For4=\r\n"_s.toUtf8());
    start();
    QCOMPARE(m_window->selectedPlayers(), 2);
    QVERIFY(find<QWidget>(u"PanelFor2"_s)->isVisibleTo(m_window.get()));
    QCOMPARE(m_window->options().gameType, GameType::Sochi);
    QCOMPARE(m_window->options().heapDivision, HeapDivision::Nondivisible);
    QVERIFY(!find<QRadioButton>(u"OnNPlayersMinus1"_s)->isEnabled());
    QCOMPARE(text(u"ValueOfWhistFor2"_s), u"99999"_s);
    // Measured in the name fields' own font: too wide gives the seat's name.
    QCOMPARE(text(u"NameOfP1For4"_s), u"Запад"_s);
    QCOMPARE(text(u"NameOfP2For4"_s), u"Ян"_s);
    QCOMPARE(text(u"NameOfP3For4"_s), QString()); // present but empty: emptied
    QCOMPARE(text(u"NameOfP4For4"_s), QString()); // missing: emptied as well
}

void SettingsWindowTest::unwritableFile_showsMessageAndKeepsOldFile()
{
    // A file where the folder should be: not even root can write below it.
    QFile blocker(m_dir->filePath(u"blocked"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString blocked = m_dir->filePath(u"blocked/SETTINGS.INI"_s);
    m_desktop.settingsFile = blocked;
    start();
    end(); // the program still ends
    QCOMPARE(m_desktop.messages, QStringList{u"Unable to write to "_s + blocked + u'.'});

    // A write-protected file is reported in the same words and left as it was, even for root.
    m_desktop.clear();
    m_desktop.settingsFile = settingsPath();
    const QByteArray old("[Zelvara]\nPlayersNumber=3\n");
    writeSettings(old);
    QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner));
    start();
    QTest::mouseClick(find<QRadioButton>(u"Players2"_s), Qt::LeftButton);
    end();
    QCOMPARE(m_desktop.messages, QStringList{u"Unable to write to "_s + settingsPath() + u'.'});
    QCOMPARE(readSettings(), old);
    QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::WriteOwner));

    if (::geteuid() == 0)
        QSKIP("permissions do not stop root: the read-only folder case needs another user");
    m_desktop.clear();
    writeSettings(old);
    start();
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    QTest::mouseClick(find<QRadioButton>(u"Players2"_s), Qt::LeftButton);
    end();
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(m_desktop.messages, QStringList{u"Unable to write to "_s + settingsPath() + u'.'});
    QCOMPARE(readSettings(), old);
}

void SettingsWindowTest::about_opensFromMenuAndButton_closeBoxEnablesMainWindow()
{
    start();
    m_window->show();
    TAboutProgram about(m_window.get());
    connect(m_window.get(), &TZelvara::aboutRequested, &about, &TAboutProgram::showAbout);

    find<QAction>(u"About"_s)->trigger(); // returns at once: no modal loop runs
    QVERIFY(about.isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(!m_window->isEnabled());
    // Not a child of the main window, so it still takes input.
    QVERIFY(about.findChild<QPushButton *>(u"Close1"_s)->isEnabled());
    about.close(); // the close box
    QVERIFY(about.isHidden());
    QVERIFY(m_window->isEnabled());

    QTest::mouseClick(find<QPushButton>(u"Info"_s), Qt::LeftButton);
    QVERIFY(about.isVisible());
    QVERIFY(!m_window->isEnabled());
    QTest::mouseClick(about.findChild<QPushButton *>(u"Close1"_s), Qt::LeftButton);
    QVERIFY(about.isHidden());
    QVERIFY(m_window->isEnabled());
}

void SettingsWindowTest::rulesDocument_data()
{
    QTest::addColumn<QString>("present"); // relative to the program folder; empty: nowhere
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("missing") << QString() << u"Preference_rules.docx"_s << QStringList{u"open"_s, u"beep"_s, u"box"_s};
    QTest::newRow("in the program folder")
        << u"Preference_rules.docx"_s << u"Preference_rules.docx"_s << QStringList{u"open"_s};
    QTest::newRow("installed in share") << u"../share/zelvara/Preference_rules.docx"_s
                                        << u"../share/zelvara/Preference_rules.docx"_s << QStringList{u"open"_s};
}

void SettingsWindowTest::rulesDocument()
{
    QFETCH(QString, present);
    QFETCH(QString, opened);
    QFETCH(QStringList, events);
    m_desktop.settingsFile.clear();
    m_desktop.folder = u"/opt/zelvara/bin"_s;
    const QDir folder(m_desktop.folder);
    if (!present.isEmpty())
        m_desktop.existing.insert(QDir::cleanPath(folder.filePath(present)));
    start();
    m_desktop.clear();
    find<QAction>(u"Reference"_s)->trigger();
    QCOMPARE(m_desktop.opened, QStringList{QDir::cleanPath(folder.filePath(opened))});
    QCOMPARE(m_desktop.events, events);
    if (present.isEmpty())
        QCOMPARE(m_desktop.messages, QStringList{u"Файл Preference_rules.docx отсутствует в папке программы!"_s});
}

QTEST_MAIN(SettingsWindowTest)
#include "settings_window_test.moc"
