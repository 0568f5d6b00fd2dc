// SPDX-License-Identifier: GPL-3.0-or-later
// Sheet files as the player meets them: saved and opened through the "&Пуля" menu with answered file
// dialogs, bad files refused with one message, a file dropped on the window, files handed in while a
// dialog is open or by the hundred, a typed sheet replaced only on the player's word, and zelvara-settle
// settling what the window saved.

#include "app/about_window.h"
#include "app/correction_controller.h"
#include "app/main_window.h"
#include "app/sheet_file_controller.h"
#include "correction/dialogs/choice_of_player_dialog.h"
#include "correction/dialogs/confirm_of_change_dialog.h"
#include "sheetfile/sheet_file.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"
#include "tests/support/test_files.h"

#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using zelvara::app::SheetFileController;
using zelvara::app::TZelvara;
using zelvara::testing::readBytes;
using zelvara::testing::RecordingDesktop;
using zelvara::testing::writeBytes;
namespace engine = zelvara::engine;

namespace {

// The third worked example: Leningrad, three players, the heap divided on two, half a whist.
engine::SheetTexts example3(char separator)
{
    engine::SheetTexts texts = engine::SheetTexts::withDesignTexts(3);
    texts.heaps = {"14", "10", "8", ""};
    texts.pools = {"10", "5", "0", ""};
    texts.whists[0][1] = "30";
    texts.whists[1][0] = "10";
    texts.whists[0][2] = "12";
    texts.whists[1][2] = "5";
    texts.whists[2][1] = "7";
    texts.whistValue = separator == ',' ? "0,5" : "0.5";
    return texts;
}
const engine::Options Example3Options{engine::GameType::Leningrad, engine::HeapDivision::OnNPlayersMinus1};

QString fieldsOf(const engine::SheetTexts &texts)
{
    QStringList parts{QString::number(texts.players), QString::fromStdString(texts.whistValue)};
    for (std::size_t i = 0; i < engine::MaxPlayers; ++i) {
        parts << QString::fromStdString(texts.names[i]) << QString::fromStdString(texts.pools[i])
              << QString::fromStdString(texts.heaps[i]);
        for (std::size_t j = 0; j < engine::MaxPlayers; ++j)
            parts << QString::fromStdString(texts.whists[i][j]);
    }
    return parts.join(u'|');
}

} // namespace

Q_DECLARE_METATYPE(engine::SheetTexts)
Q_DECLARE_METATYPE(engine::Options)

class SheetFileControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menu_leadsPoolMenuWithShortcuts();
    void saveThenOpen_givesTheSameSheet_data();
    void saveThenOpen_givesTheSameSheet();
    void fileOfOtherLocale_opensAndSettlesTheSame_data();
    void fileOfOtherLocale_opensAndSettlesTheSame();
    void fileDialogs_startInLastFolderUsed();
    void badFile_oneMessageAndWindowAsItWas_data();
    void badFile_oneMessageAndWindowAsItWas();
    void failedSave_namesPathAndKeepsEarlierFile();
    void savedSheet_keepsItsNoteAndFileName();
    void settledFile_carriesItsDateUntilTypedInto();
    void typedSheet_replacedOnlyAfterYes_data();
    void typedSheet_replacedOnlyAfterYes();
    void sheetTooLargeToOpenAgain_notSaved();
    void drop_opensOnlyOneLocalSheetFile_data();
    void drop_opensOnlyOneLocalSheetFile();
    void handedFile_waitsWhileADialogHoldsTheWindow_data();
    void handedFile_waitsWhileADialogHoldsTheWindow();
    void handedFile_duringSaveDialog_waitsForTheSave();
    void handOverFlood_oneBoxAtATimeAndRunsOn();
    void savedFile_settlesInCliAsInWindow_data();
    void savedFile_settlesInCliAsInWindow();

private:
    template <typename T> T *find(const QString &name) const
    {
        return zelvara::testing::findControl<T>(*m_window, name);
    }
    QLineEdit *edit(const QString &name) const { return find<QLineEdit>(name); }
    void click(const QString &button) { QTest::mouseClick(find<QWidget>(button), Qt::LeftButton); }
    // Typed by the player, key by key (ASCII only).
    void typeInto(const QString &field, const QString &text)
    {
        QTest::mouseClick(edit(field), Qt::LeftButton);
        QTest::keyClicks(edit(field), text);
    }
    QString path(const QString &name) const { return m_folder->filePath(name); }
    bool save(const QString &file);
    bool open(const QString &file);
    QStringList results(int players) const;
    // Every text, check, visibility and enabled state a file could change.
    QStringList windowState() const;

    RecordingDesktop m_desktop;
    std::unique_ptr<TZelvara> m_window;
    std::unique_ptr<zelvara::correction::TChoiceOfPlayer> m_choiceOfPlayer;
    std::unique_ptr<zelvara::correction::TConfirmOfChange> m_confirmOfChange;
    std::unique_ptr<zelvara::app::CorrectionController> m_corrections;
    std::unique_ptr<zelvara::app::TAboutProgram> m_about;
    std::unique_ptr<SheetFileController> m_files;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void SheetFileControllerTest::init()
{
    m_desktop.clear();
    m_desktop.separator = ',';
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_window = std::make_unique<TZelvara>(m_desktop);
    m_choiceOfPlayer = std::make_unique<zelvara::correction::TChoiceOfPlayer>();
    m_confirmOfChange = std::make_unique<zelvara::correction::TConfirmOfChange>();
    m_corrections = std::make_unique<zelvara::app::CorrectionController>(*m_window, *m_choiceOfPlayer,
                                                                         *m_confirmOfChange, m_desktop);
    m_about = std::make_unique<zelvara::app::TAboutProgram>(m_window.get());
    m_files = std::make_unique<SheetFileController>(
        *m_window, m_desktop, QList<QWidget *>{m_choiceOfPlayer.get(), m_confirmOfChange.get(), m_about.get()});
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void SheetFileControllerTest::cleanup()
{
    m_files.reset();
    m_about.reset();
    m_corrections.reset();
    m_confirmOfChange.reset();
    m_choiceOfPlayer.reset();
    m_window.reset();
    m_folder.reset();
}

bool SheetFileControllerTest::save(const QString &file)
{
    m_desktop.fileAnswers = {file};
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    return m_desktop.fileAnswers.isEmpty() && QFile::exists(file);
}

bool SheetFileControllerTest::open(const QString &file)
{
    m_desktop.fileAnswers = {file};
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    return m_desktop.fileAnswers.isEmpty();
}

QStringList SheetFileControllerTest::results(int players) const
{
    QStringList texts;
    for (int i = 1; i <= players; ++i)
        texts << edit(u"ResultOfP%1For%2"_s.arg(i).arg(players))->text();
    return texts;
}

QStringList SheetFileControllerTest::windowState() const
{
    QStringList state;
    for (const QLineEdit *field : m_window->findChildren<QLineEdit *>()) {
        state << field->objectName() + u'=' + field->text() +
                     (field->isVisibleTo(m_window.get()) ? u""_s : u" hidden"_s);
    }
    for (const QAbstractButton *button : m_window->findChildren<QAbstractButton *>()) {
        state << button->objectName() + (button->isChecked() ? u" checked"_s : u""_s) +
                     (button->isEnabled() ? u""_s : u" disabled"_s) +
                     (button->isVisibleTo(m_window.get()) ? u""_s : u" hidden"_s);
    }
    return state;
}

void SheetFileControllerTest::menu_leadsPoolMenuWithShortcuts()
{
    const QList<QAction *> actions = m_window->poolMenu()->actions();
    QVERIFY(actions.size() >= 2);
    QCOMPARE(actions.at(0)->objectName() + actions.at(1)->objectName(), u"OpenSheetSaveSheet"_s);

    // Ctrl+O and Ctrl+S open the dialogs; cancelled, they change nothing and say nothing.
    const QStringList before = windowState();
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_desktop.events, (QStringList{u"file dialog"_s, u"file dialog"_s}));
    // A sheet may arrive renamed: opening also offers every file.
    QCOMPARE(m_desktop.fileDialogs.at(0).filter, u"Пуля Zelvara (*.zelvara);;JSON (*.json);;Все файлы (*)"_s);
    QCOMPARE(m_desktop.fileDialogs.at(1).filter, u"Пуля Zelvara (*.zelvara)"_s);
    QCOMPARE(windowState(), before);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList());
}

void SheetFileControllerTest::saveThenOpen_givesTheSameSheet_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<engine::SheetTexts>("texts");
    QTest::addColumn<engine::Options>("options");

    engine::SheetTexts four = engine::SheetTexts::withDesignTexts(4);
    four.heaps = {"20", "4", "12", "0"};
    four.whists[3][0] = "2";
    // The file is the player's own record: a name wider than its field, texts the settlement would
    // refuse, blanks kept as typed.
    engine::SheetTexts odd = engine::SheetTexts::withDesignTexts(4);
    odd.names[1] = "Очень длинное имя игрока";
    odd.heaps[0] = " 7";
    odd.pools[2] = "x";
    odd.whists[1][3] = "-0";
    odd.whistValue = "0,125";
    engine::SheetTexts two = engine::SheetTexts::withDesignTexts(2);
    two.names = {"Аня \"А\"", "Боря\\", "", ""};
    two.whists[0][1] = "10";
    two.whistValue = "";

    for (const char separator : {',', '.'}) {
        const char *under = separator == ',' ? "comma" : "point";
        QTest::addRow("example 3, %s", under) << separator << example3(separator) << Example3Options;
        QTest::addRow("four players, Sochi, %s", under)
            << separator << four << engine::Options{engine::GameType::Sochi, engine::HeapDivision::Nondivisible};
        QTest::addRow("texts as typed, however odd, %s", under)
            << separator << odd << engine::Options{engine::GameType::Leningrad, engine::HeapDivision::OnNPlayers};
        QTest::addRow("two players, %s", under)
            << separator << two << engine::Options{engine::GameType::Sochi, engine::HeapDivision::Nondivisible};
    }
}

void SheetFileControllerTest::saveThenOpen_givesTheSameSheet()
{
    QFETCH(char, separator);
    QFETCH(engine::SheetTexts, texts);
    QFETCH(engine::Options, options);
    m_desktop.separator = separator;

    m_window->loadSheet(texts, options);
    QVERIFY(save(path(u"sheet.zelvara"_s)));
    const QJsonObject saved = QJsonDocument::fromJson(readBytes(path(u"sheet.zelvara"_s))).object();
    QCOMPARE(saved.value(u"format"_s).toString(), u"zelvara-sheet"_s);
    QCOMPARE(saved.value(u"decimalSeparator"_s).toString(), QString(QChar::fromLatin1(separator)));
    const QDateTime when = QDateTime::fromString(saved.value(u"saved"_s).toString(), Qt::ISODate);
    QVERIFY2(qAbs(when.secsTo(QDateTime::currentDateTime())) < 60, qPrintable(saved.value(u"saved"_s).toString()));

    // Another sheet of the same size and other options on the screen, then the file back.
    m_window->loadSheet(engine::SheetTexts::withDesignTexts(texts.players), {});
    m_window->selectPlayers(texts.players == 4 ? 3 : 4);
    QVERIFY(open(path(u"sheet.zelvara"_s)));
    QCOMPARE(m_desktop.messages, QStringList());
    QCOMPARE(m_window->selectedPlayers(), texts.players);
    QCOMPARE(fieldsOf(m_window->sheetTexts(texts.players)), fieldsOf(texts));
    QVERIFY(m_window->options().gameType == options.gameType);
    QVERIFY(m_window->options().heapDivision == options.heapDivision);
}

void SheetFileControllerTest::fileOfOtherLocale_opensAndSettlesTheSame_data()
{
    QTest::addColumn<char>("savedUnder");
    QTest::addColumn<char>("openedUnder");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("comma file, point locale") << ',' << '.' << QStringList{u"+66"_s, u"-6"_s, u"-60"_s};
    QTest::newRow("point file, comma locale") << '.' << ',' << QStringList{u"+66"_s, u"-6"_s, u"-60"_s};
}

void SheetFileControllerTest::fileOfOtherLocale_opensAndSettlesTheSame()
{
    QFETCH(char, savedUnder);
    QFETCH(char, openedUnder);
    QFETCH(QStringList, expected);

    m_desktop.separator = savedUnder;
    m_window->loadSheet(example3(savedUnder), Example3Options);
    QVERIFY(save(path(u"other.zelvara"_s)));

    m_desktop.separator = openedUnder;
    m_window->loadSheet(engine::SheetTexts::withDesignTexts(3), {});
    QVERIFY(open(path(u"other.zelvara"_s)));
    QCOMPARE(edit(u"ValueOfWhistFor3"_s)->text(), QString::fromStdString(example3(openedUnder).whistValue));
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.messages, QStringList());
    QCOMPARE(results(3), expected);
}

void SheetFileControllerTest::fileDialogs_startInLastFolderUsed()
{
    // The desktop names the player's documents folder; the home folder serves while it does not exist.
    const QString documents = path(u"Документы"_s);
    QVERIFY(QDir(m_folder->path()).mkdir(u"config"_s));
    writeBytes(path(u"config/user-dirs.dirs"_s), "XDG_DOCUMENTS_DIR=\"" + QFile::encodeName(documents) + "\"\n");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(u"config"_s)));
    const QString today = u"Пуля "_s + QDate::currentDate().toString(u"yyyy-MM-dd"_s) + u".zelvara"_s;

    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(QDir(m_folder->path()).mkdir(u"Документы"_s));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QDir(m_folder->path()).mkdir(u"games"_s));
    QVERIFY(save(path(u"games/first.zelvara"_s)));
    QTest::keyClick(m_window.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    // A new calculation begins a game of its own, with a name of its own.
    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    if (configHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome);

    QStringList starts;
    for (const auto &dialog : m_desktop.fileDialogs)
        starts << dialog.caption + u": "_s + dialog.start;
    QCOMPARE(starts, (QStringList{
                         u"Открыть пулю: "_s + QDir::homePath(),
                         u"Сохранить пулю: "_s + documents + u'/' + today,
                         u"Сохранить пулю: "_s + documents + u'/' + today,
                         u"Открыть пулю: "_s + path(u"games"_s),
                         u"Сохранить пулю: "_s + path(u"games/first.zelvara"_s),
                         u"Сохранить пулю: "_s + path(u"games/"_s + today),
                     }));
}

void SheetFileControllerTest::badFile_oneMessageAndWindowAsItWas_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    const QByteArray sheet3 = R"({"format": "zelvara-sheet", "version": 1, "players": 3, "gameType": "Sochi",
                                  "heapDivisibility": "OnNPlayers", "fields": {)";
    QTest::newRow("missing") << QByteArray("<none>") << u"Не удалось прочитать файл «%1»."_s;
    QTest::newRow("a folder") << QByteArray("<folder>") << u"Не удалось открыть «%1»: это папка, а не файл."_s;
    QTest::newRow("a pipe") << QByteArray("<fifo>") << u"Не удалось прочитать файл «%1»."_s;
    QTest::newRow("too big for a sheet")
        << QByteArray(static_cast<qsizetype>(zelvara::sheetfile::MaxFileSize) + 1, ' ')
        << u"Файл «%1» не является пулей Zelvara: он больше 1 МБ, а пуля со всеми полями и примечанием занимает "
           u"несколько килобайт."_s;
    QTest::newRow("empty") << QByteArray() << u"Файл «%1» не является пулей Zelvara: это не текст JSON."_s;
    QTest::newRow("not UTF-8") << QByteArray("{\"note\": \"\xcf\xf3\xeb\xff\"}")
                               << u"Файл «%1» не является пулей Zelvara: это не текст в кодировке UTF-8."_s;
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n", 8)
                               << u"Файл «%1» не является пулей Zelvara: это не текст в кодировке UTF-8."_s;
    QTest::newRow("other JSON") << QByteArray(R"({"format": "calendar", "version": 1})")
                                << u"Файл «%1» не является пулей Zelvara."_s;
    QTest::newRow("newer version")
        << QByteArray(R"({"format": "zelvara-sheet", "version": 2, "players": 3})")
        << u"Файл «%1» сохранён более новой версией Zelvara (версия формата 2) и не может быть открыт этой "
           u"версией программы."_s;
    QTest::newRow("field of another sheet")
        << QByteArray(sheet3 + R"("HeapOfP1For3": "5", "HeapOfP4For4": "2"}})")
        << u"Файл «%1» повреждён: гора игрока Юг относится к пуле для 4 игроков, а в файле указана пуля для 3 "
           u"игроков."_s;
    QTest::newRow("a result") << QByteArray(sheet3 + R"("ResultOfP1For3": "+5"}})")
                              << u"Файл «%1» повреждён: в нём записан итог игрока Запад, а итоги программа получает "
                                 u"только расчётом."_s;
}

void SheetFileControllerTest::badFile_oneMessageAndWindowAsItWas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    const QString file = path(u"bad.zelvara"_s);
    if (bytes == "<folder>")
        QVERIFY(QDir(m_folder->path()).mkdir(u"bad.zelvara"_s));
    else if (bytes == "<fifo>")
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else if (bytes != "<none>")
        writeBytes(file, bytes);

    // Something on every sheet, results shown on one, so that any change would show.
    m_window->loadSheet(example3(','), Example3Options);
    click(u"Calculate"_s);
    m_window->selectPlayers(2);
    edit(u"HeapOfP1For2"_s)->setText(u"9"_s);
    m_window->selectPlayers(3);
    m_desktop.clear();
    const QStringList before = windowState();

    QVERIFY(open(file));
    QCOMPARE(m_desktop.messages, QStringList{expected.arg(file)});
    QCOMPARE(m_desktop.events, (QStringList{u"file dialog"_s, u"beep"_s, u"box"_s}));
    QCOMPARE(windowState(), before);
}

void SheetFileControllerTest::failedSave_namesPathAndKeepsEarlierFile()
{
    const QString file = path(u"game.zelvara"_s);
    m_window->loadSheet(example3(','), Example3Options);
    QVERIFY(save(file));
    const QByteArray earlier = readBytes(file);

    // A file size limit makes every write beyond its first bytes fail, whoever runs the test.
    m_window->loadSheet(engine::SheetTexts::withDesignTexts(4), {});
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    m_desktop.clear();
    save(file);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(m_desktop.messages, QStringList{u"Не удалось сохранить пулю в файл «%1»."_s.arg(file)});
    QCOMPARE(m_desktop.beeps, 1);
    QCOMPARE(readBytes(file), earlier);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"game.zelvara"_s});

    // A folder that is not there: nothing written anywhere, the message names the path.
    m_desktop.clear();
    const QString nowhere = path(u"missing/game.zelvara"_s);
    save(nowhere);
    QCOMPARE(m_desktop.messages, QStringList{u"Не удалось сохранить пулю в файл «%1»."_s.arg(nowhere)});

    // Another user's link under the chosen name is not written through; only root can give a link away.
    if (::geteuid() != 0)
        return;
    const QString victim = path(u"victim"_s);
    writeBytes(victim, "theirs");
    const QString planted = path(u"planted.zelvara"_s);
    QCOMPARE(::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(planted).constData()), 0);
    QCOMPARE(::lchown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
    m_desktop.clear();
    save(planted);
    QCOMPARE(m_desktop.messages, QStringList{u"Не удалось сохранить пулю в файл «%1»."_s.arg(planted)});
    QCOMPARE(readBytes(victim), QByteArray("theirs"));
}

void SheetFileControllerTest::savedSheet_keepsItsNoteAndFileName()
{
    const QString file = path(u"noted.zelvara"_s);
    writeBytes(file, R"({"format": "zelvara-sheet", "version": 1, "note": "У Петровых, 5 декабря", "players": 2,
                        "gameType": "Sochi", "heapDivisibility": "OnNPlayers", "fields": {"HeapOfP1For2": "4"}})");
    QVERIFY(open(file));
    edit(u"HeapOfP1For2"_s)->setText(u"6"_s);
    QVERIFY(save(file));
    QVERIFY(save(path(u"copy.zelvara"_s)));
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    // A new calculation on the sheet is another game: no note goes with it.
    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(save(path(u"next.zelvara"_s)));

    // The dialog proposes the file the sheet came from, then the one it was last saved to.
    QCOMPARE(m_desktop.fileDialogs.at(1).start, file);
    QCOMPARE(m_desktop.fileDialogs.at(3).start, path(u"copy.zelvara"_s));
    const QJsonObject again = QJsonDocument::fromJson(readBytes(file)).object();
    QCOMPARE(again.value(u"note"_s).toString(), u"У Петровых, 5 декабря"_s);
    QCOMPARE(again.value(u"fields"_s).toObject().value(u"HeapOfP1For2"_s).toString(), u"6"_s);
    // The remark belongs to the sheet, under whatever name it is saved.
    const QJsonObject copy = QJsonDocument::fromJson(readBytes(path(u"copy.zelvara"_s))).object();
    QCOMPARE(copy.value(u"note"_s).toString(), u"У Петровых, 5 декабря"_s);
    QVERIFY(!QJsonDocument::fromJson(readBytes(path(u"next.zelvara"_s))).object().contains(u"note"_s));
}

void SheetFileControllerTest::settledFile_carriesItsDateUntilTypedInto()
{
    const QString file = path(u"dated.zelvara"_s);
    writeBytes(file, R"({"format": "zelvara-sheet", "version": 1, "saved": "2026-11-28T23:10:00+03:00",
                        "note": "Клуб, ноябрь", "players": 2, "gameType": "Sochi", "heapDivisibility": "OnNPlayers",
                        "fields": {"HeapOfP1For2": "4"}})");
    QVERIFY(open(file));
    click(u"Calculate"_s);
    // The game was played when the file was saved; its note goes with it into copies and pictures.
    const zelvara::correction::SettledSheet *settled = m_window->shownSettlement();
    QVERIFY(settled);
    QCOMPARE(settled->date, std::string("2026-11-28T23:10:00+03:00"));
    QCOMPARE(settled->note, std::string("Клуб, ноябрь"));

    // Once the player changes the sheet, the settlement is a new one, of today.
    typeInto(u"HeapOfP2For2"_s, u"2"_s);
    click(u"Calculate"_s);
    QVERIFY(m_window->shownSettlement()->date.starts_with(QDate::currentDate().toString(Qt::ISODate).toStdString()));
    QCOMPARE(m_window->shownSettlement()->note, std::string("Клуб, ноябрь"));
    click(u"NewCalc"_s);
    click(u"Calculate"_s);
    QCOMPARE(m_window->shownSettlement()->note, std::string());
}

void SheetFileControllerTest::typedSheet_replacedOnlyAfterYes_data()
{
    QTest::addColumn<QString>("before"); // what happened to the three-player sheet before the file comes
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("opens");
    QTest::newRow("typed, answered yes") << u"typed"_s << true << true << true;
    QTest::newRow("typed, answered no: the window stays") << u"typed"_s << false << true << false;
    QTest::newRow("typed on another sheet") << u"typed on four"_s << false << false << true;
    QTest::newRow("written by the program") << u"written"_s << false << false << true;
    QTest::newRow("typed, then saved") << u"typed and saved"_s << false << false << true;
    QTest::newRow("typed, then replaced by a file") << u"typed and opened"_s << false << false << true;
}

void SheetFileControllerTest::typedSheet_replacedOnlyAfterYes()
{
    QFETCH(QString, before);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, opens);
    const QString file = path(u"example.zelvara"_s);
    m_window->loadSheet(example3(','), Example3Options);
    QVERIFY(save(file));
    m_window->loadSheet(engine::SheetTexts::withDesignTexts(3), {});

    if (before == u"typed on four"_s) {
        m_window->selectPlayers(4);
        typeInto(u"HeapOfP1For4"_s, u"7"_s);
    } else if (before == u"written"_s) {
        // Settings at start, corrections and results write fields too; only the player's typing counts.
        m_window->setFieldText(u"HeapOfP1For3"_s, u"6"_s);
        click(u"Calculate"_s);
        QVERIFY(m_window->isEnabled());
    } else {
        typeInto(u"HeapOfP2For3"_s, u"7"_s);
        if (before == u"typed and saved"_s)
            QVERIFY(save(path(u"mine.zelvara"_s)));
        if (before == u"typed and opened"_s) {
            m_desktop.answers = {true};
            QVERIFY(open(file));
        }
    }
    m_desktop.clear();
    m_desktop.answers = {answer};
    const QStringList state = windowState();

    QVERIFY(open(file));
    const QString question = u"Заменить введённую пулю содержимым файла «%1»?"_s.arg(file);
    QCOMPARE(m_desktop.questions, asked ? QStringList{question} : QStringList());
    QCOMPARE(m_desktop.messages, QStringList());
    if (opens) {
        QCOMPARE(m_window->selectedPlayers(), 3);
        QCOMPARE(fieldsOf(m_window->sheetTexts(3)), fieldsOf(example3(',')));
    } else {
        QCOMPARE(windowState(), state);
    }
}

void SheetFileControllerTest::sheetTooLargeToOpenAgain_notSaved()
{
    // A compact file just under the limit opens; written back indented, its note would take it over.
    const QString file = path(u"long.zelvara"_s);
    const QByteArray head = R"({"format":"zelvara-sheet","version":1,"note":")";
    const QByteArray tail = R"(","players":2,"gameType":"Sochi","heapDivisibility":"OnNPlayers"})";
    const auto room = static_cast<qsizetype>(zelvara::sheetfile::MaxFileSize) - head.size() - tail.size();
    const QByteArray earlier = head + QByteArray("\\n").repeated(room / 2) + tail;
    writeBytes(file, earlier);
    QVERIFY(open(file));
    QCOMPARE(m_desktop.messages, QStringList());

    save(file);
    QCOMPARE(m_desktop.messages,
             QStringList{u"Пуля не сохранена в файл «%1»: её текст занял бы больше 1 МБ, а файл такого размера "
                         u"программа не откроет. Файл оставлен как был."_s.arg(file)});
    QCOMPARE(m_desktop.beeps, 1);
    QCOMPARE(readBytes(file), earlier);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"long.zelvara"_s});
}

void SheetFileControllerTest::drop_opensOnlyOneLocalSheetFile_data()
{
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<Qt::DropActions>("actions");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("message");
    const QString sheet = u"sheet.zelvara"_s;
    const QString oneAtATime = u"За один раз открывается одна пуля: перетащите в окно один файл."_s;
    QTest::newRow("a sheet file") << QStringList{sheet} << Qt::DropActions(Qt::CopyAction | Qt::MoveAction) << true
                                  << QString();
    QTest::newRow("upper-case extension")
        << QStringList{u"SHEET.ZELVARA"_s} << Qt::DropActions(Qt::CopyAction) << true << QString();
    QTest::newRow("move only") << QStringList{sheet} << Qt::DropActions(Qt::MoveAction) << false << QString();
    QTest::newRow("two files") << QStringList{sheet, sheet} << Qt::DropActions(Qt::CopyAction) << false << oneAtATime;
    QTest::newRow("two files, move only")
        << QStringList{sheet, sheet} << Qt::DropActions(Qt::MoveAction) << false << QString();
    QTest::newRow("another kind of file")
        << QStringList{u"sheet.json"_s} << Qt::DropActions(Qt::CopyAction) << false << QString();
    QTest::newRow("not a local file") << QStringList{u"https://example.org/sheet.zelvara"_s}
                                      << Qt::DropActions(Qt::CopyAction) << false << QString();
}

void SheetFileControllerTest::drop_opensOnlyOneLocalSheetFile()
{
    QFETCH(QStringList, urls);
    QFETCH(Qt::DropActions, actions);
    QFETCH(bool, opens);
    QFETCH(QString, message);

    engine::SheetTexts texts = engine::SheetTexts::withDesignTexts(2);
    texts.heaps[0] = "12";
    for (const QString &name : {u"sheet.zelvara"_s, u"SHEET.ZELVARA"_s, u"sheet.json"_s}) {
        m_window->loadSheet(texts, {});
        QVERIFY(save(path(name)));
    }
    m_window->loadSheet(engine::SheetTexts::withDesignTexts(4), {});
    m_desktop.clear();
    const QStringList before = windowState();

    QMimeData data;
    QList<QUrl> list;
    for (const QString &url : urls)
        list << (url.contains(u':') ? QUrl(url) : QUrl::fromLocalFile(path(url)));
    data.setUrls(list);
    // A file manager also offers the paths as text, which a field would take if the window let it.
    data.setText(path(urls.constFirst()));
    QLineEdit *field = edit(u"HeapOfP1For4"_s);
    const QPoint at = field->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    if (enter.isAccepted()) {
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &drop);
        // The sheet is only read: the source must never take a drop of it for a move.
        if (opens)
            QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }
    QCoreApplication::processEvents();
    QCOMPARE(m_desktop.messages, message.isEmpty() ? QStringList() : QStringList{message});
    if (!opens) {
        QCOMPARE(m_window->selectedPlayers(), 4);
        return;
    }
    QTRY_COMPARE(m_window->selectedPlayers(), 2);
    QCOMPARE(edit(u"HeapOfP1For2"_s)->text(), u"12"_s);
    // The field under the drop did not take the path as text.
    QCOMPARE(field->text(), QString());
}

void SheetFileControllerTest::handedFile_waitsWhileADialogHoldsTheWindow_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::newRow("correction by lot") << u"lot"_s;
    QTest::newRow("About window") << u"about"_s;
}

void SheetFileControllerTest::handedFile_waitsWhileADialogHoldsTheWindow()
{
    QFETCH(QString, dialog);
    const QString file = path(u"handed.zelvara"_s);
    m_window->loadSheet(example3(','), Example3Options);
    QVERIFY(save(file));

    QWidget *holding = nullptr;
    if (dialog == u"lot"_s) {
        // An odd heap sum with a whist of 1 on four players: the lot dialog waits for the drawn player.
        m_window->selectPlayers(4);
        m_window->setOptions(engine::GameType::Sochi, engine::HeapDivision::OnNPlayers);
        edit(u"HeapOfP1For4"_s)->setText(u"3"_s);
        click(u"Calculate"_s);
        holding = m_choiceOfPlayer.get();
    } else {
        m_window->selectPlayers(4);
        m_about->showAbout();
        holding = m_about.get();
    }
    QVERIFY(holding->isVisible());
    m_desktop.clear();
    const QStringList before = windowState();

    // The answer the dialog waits for must still apply to the sheet it was opened over.
    m_files->openHandedFile(file);
    QTest::qWait(50);
    QCOMPARE(m_desktop.events, QStringList());
    QCOMPARE(windowState(), before);
    QVERIFY(holding->isVisible());

    // Once it is closed, the file opens without a word.
    if (dialog == u"lot"_s)
        QTest::mouseClick(m_choiceOfPlayer->findChild<QPushButton *>(u"OK"_s), Qt::LeftButton);
    else
        m_about->close();
    QVERIFY(!holding->isVisible());
    QTRY_COMPARE(m_window->selectedPlayers(), 3);
    QCOMPARE(m_desktop.messages, QStringList());
    QCOMPARE(fieldsOf(m_window->sheetTexts(3)), fieldsOf(example3(',')));
}

void SheetFileControllerTest::handedFile_duringSaveDialog_waitsForTheSave()
{
    const QString handed = path(u"handed.zelvara"_s);
    m_window->loadSheet(example3(','), Example3Options);
    QVERIFY(save(handed));
    engine::SheetTexts typed = engine::SheetTexts::withDesignTexts(4);
    typed.heaps[0] = "21";
    m_window->loadSheet(typed, {});

    // A later start hands a file over while the player chooses a name to save under.
    m_desktop.modal = true;
    m_desktop.whileOpen = [this, handed] { m_files->openHandedFile(handed); };
    QVERIFY(save(path(u"mine.zelvara"_s)));
    const QJsonObject saved = QJsonDocument::fromJson(readBytes(path(u"mine.zelvara"_s))).object();
    QCOMPARE(saved.value(u"players"_s).toInt(), 4);
    QCOMPARE(saved.value(u"fields"_s).toObject().value(u"HeapOfP1For4"_s).toString(), u"21"_s);

    // The file opens once the save is done.
    QTRY_COMPARE(m_window->selectedPlayers(), 3);
    QCOMPARE(fieldsOf(m_window->sheetTexts(3)), fieldsOf(example3(',')));
    QCOMPARE(m_desktop.mostOpenAtOnce, 1);
}

void SheetFileControllerTest::handOverFlood_oneBoxAtATimeAndRunsOn()
{
    // Later starts with files that are not there, faster than the player answers: each message box runs
    // the event loop that delivers the next request.
    constexpr int Requests = 300;
    m_desktop.modal = true;
    for (int i = 0; i < Requests; ++i) {
        QTimer::singleShot(0, m_files.get(),
                           [this, i] { m_files->openHandedFile(path(u"missing-%1.zelvara"_s.arg(i))); });
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_desktop.messages.size(), Requests, 60000);
    QCOMPARE(m_desktop.mostOpenAtOnce, 1);
    QCOMPARE(m_desktop.beeps, Requests);
    // In the order they came.
    QCOMPARE(m_desktop.messages.constFirst(), u"Не удалось прочитать файл «%1»."_s.arg(path(u"missing-0.zelvara"_s)));
    QCOMPARE(m_desktop.messages.constLast(),
             u"Не удалось прочитать файл «%1»."_s.arg(path(u"missing-%1.zelvara"_s.arg(Requests - 1))));

    // The window runs on: a good file handed over now opens.
    const QString file = path(u"good.zelvara"_s);
    m_window->loadSheet(example3(','), Example3Options);
    QVERIFY(m_files->saveSheetFile(file));
    m_window->loadSheet(engine::SheetTexts::withDesignTexts(4), {});
    m_files->openHandedFile(file);
    QTRY_COMPARE(m_window->selectedPlayers(), 3);
    QCOMPARE(fieldsOf(m_window->sheetTexts(3)), fieldsOf(example3(',')));
}

void SheetFileControllerTest::savedFile_settlesInCliAsInWindow_data()
{
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << ',';
    QTest::newRow("point") << '.';
}

void SheetFileControllerTest::savedFile_settlesInCliAsInWindow()
{
    const QString settle = qEnvironmentVariable("ZELVARA_SETTLE");
    if (settle.isEmpty())
        QSKIP("runs as the cli test sheet_file_settles_in_cli, which names zelvara-settle in ZELVARA_SETTLE");
    QFETCH(char, separator);
    m_desktop.separator = separator;

    // Typed in the window, unsettled when saved, then settled on the screen.
    m_window->loadSheet(example3(separator), Example3Options);
    edit(u"NameOfP2For3"_s)->setText(u"Боря"_s);
    QVERIFY(save(path(u"settle.zelvara"_s)));
    click(u"Calculate"_s);
    const QStringList shown = results(3);
    QCOMPARE(shown, (QStringList{u"+66"_s, u"-6"_s, u"-60"_s}));

    QProcess process;
    // The other locale: the file's own separator decides how its whist value reads.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, separator == ',' ? u"C.UTF-8"_s : u"ru_RU.UTF-8"_s);
    process.setProcessEnvironment(environment);
    process.start(settle, {u"--json"_s, path(u"settle.zelvara"_s)});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QJsonObject output = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    const QJsonObject settled = output.value(u"results"_s).toObject();
    QStringList texts;
    for (int i = 1; i <= 3; ++i)
        texts << settled.value(u"ResultOfP%1For3"_s.arg(i)).toObject().value(u"text"_s).toString();
    QCOMPARE(texts, shown);
}

QTEST_MAIN(SheetFileControllerTest)
#include "sheet_file_controller_test.moc"
