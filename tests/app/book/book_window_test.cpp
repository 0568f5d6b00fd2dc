// SPDX-License-Identifier: GPL-3.0-or-later
// The club book through the windows, on the offscreen platform: the "&Пуля" menu's two items, the
// "record" dialog, and the book's window with its three tabs. The module's code is linked in (the loader
// hands the controller a BookService on a book of the test's own); the book is checked through book/.

#include "app/book/book_chart.h"
#include "app/book/book_service.h"
#include "app/book/book_session.h"
#include "app/book/book_window.h"
#include "app/book/record_dialog.h"
#include "app/book/records_model.h"
#include "app/book_controller.h"
#include "app/main_window.h"
#include "app/sheet_file_controller.h"
#include "book/book.h"
#include "tests/support/announced_captions.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace zelvara;
using app::BookController;
using app::BookService;
using app::BookWindow;
using app::RecordDialog;
using app::TZelvara;
using testing::RecordingDesktop;

namespace {

const QString Examples = QStringLiteral(ZELVARA_EXAMPLES);

// The first worked example: results -81, +29, -49, +101 for Запад, Север, Восток, Юг.
const QList<std::pair<QString, QString>> Example1 = {
    {u"HeapOfP1For4"_s, u"20"_s},      {u"HeapOfP2For4"_s, u"4"_s},       {u"HeapOfP3For4"_s, u"12"_s},
    {u"HeapOfP4For4"_s, u"0"_s},       {u"PoolOfP1For4"_s, u"10"_s},      {u"PoolOfP2For4"_s, u"8"_s},
    {u"PoolOfP3For4"_s, u"6"_s},       {u"PoolOfP4For4"_s, u"10"_s},      {u"WhistsOfP1ToP2For4"_s, u"20"_s},
    {u"WhistsOfP2ToP1For4"_s, u"4"_s}, {u"WhistsOfP3ToP4For4"_s, u"6"_s}, {u"WhistsOfP4ToP1For4"_s, u"2"_s},
    {u"ValueOfWhistFor4"_s, u"1"_s},
};

// Example 1 settled for the book, the seats named as given.
book::SettledSheet example1(const std::array<const char *, 4> &names)
{
    sheetfile::SheetDocument document;
    document.sheet = engine::SheetTexts::withDesignTexts(4);
    document.decimalSeparator = ',';
    for (const auto &[field, text] : Example1) {
        const auto named = engine::parseFieldName(field.toStdString());
        document.sheet.text(named->field) = text.toStdString();
    }
    for (std::size_t i = 0; i < 4; ++i)
        document.sheet.names[i] = names[i];
    return std::get<book::SettledSheet>(book::settleForBook(document));
}

book::GameDate dateOf(const std::string &text)
{
    return *book::readGameDate(text);
}

QStringList column(const QAbstractItemModel &model, int column)
{
    QStringList cells;
    for (int row = 0; row < model.rowCount(); ++row)
        cells << model.index(row, column).data().toString();
    return cells;
}

} // namespace

class BookWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menu_twoItemsAtTheEnd();
    void record_settledSheetWithDateAndNote();
    void record_sameSheetAndDateTwice_asksFirst();
    void record_bookThatCannotBeUsed_saysWhyAndLeavesIt();
    void list_newestFirst_fetchesMoreOnScroll();
    void delete_asksAndIsUndoneUntilClosed();
    void openRecord_putsItsSheetOnTheWindowResultsHidden();
    void standings_seasonPaymentsAndChartOfImportedExamples();
    void window_followsChangesFromAnotherProgram();
    void players_renamedAndMergedInTheWindow();
    void window_controlsNamedAndAnnounced();

private:
    template <typename T> T *find(const QObject &parent, const QString &name) const
    {
        return testing::findControl<T>(parent, name);
    }
    QAction *action(const QString &name) const { return find<QAction>(*m_window, name); }
    void settleExample1()
    {
        for (const auto &[field, text] : Example1)
            m_window->setFieldText(field, text);
        QTest::mouseClick(find<QWidget>(*m_window, u"Calculate"_s), Qt::LeftButton);
        QVERIFY(m_window->shownSettlement());
    }
    RecordDialog *openRecordDialog()
    {
        action(u"RecordInBook"_s)->trigger();
        return m_service ? m_service->recordDialog() : nullptr;
    }
    BookWindow *openBook()
    {
        action(u"ShowBook"_s)->trigger();
        return m_service ? m_service->window() : nullptr;
    }
    book::Book book() const { return book::Book::open(m_path.toStdString(), book::Book::Access::Write); }
    void click(const QObject &parent, const QString &name)
    {
        auto *button = find<QPushButton>(parent, name);
        QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    RecordingDesktop m_desktop;
    std::unique_ptr<TZelvara> m_window;
    std::unique_ptr<app::SheetFileController> m_files;
    std::unique_ptr<BookController> m_controller;
    BookService *m_service = nullptr;
};

void BookWindowTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"data/zelvara/book.sqlite"_s);
    m_desktop.clear();
    m_window = std::make_unique<TZelvara>(m_desktop);
    m_files = std::make_unique<app::SheetFileController>(*m_window, m_desktop, QList<QWidget *>{});
    m_service = nullptr;
    m_controller = std::make_unique<BookController>(*m_window, *m_files, m_desktop, [this](QString *) {
        m_service = new BookService(m_path);
        return static_cast<QObject *>(m_service);
    });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void BookWindowTest::cleanup()
{
    m_controller.reset();
    m_files.reset();
    m_window.reset();
    m_dir.reset();
}

void BookWindowTest::menu_twoItemsAtTheEnd()
{
    const QList<QAction *> items = m_window->poolMenu()->actions();
    QVERIFY(items.size() >= 3);
    QVERIFY(items[items.size() - 3]->isSeparator());
    QCOMPARE(items[items.size() - 2], action(u"RecordInBook"_s));
    QCOMPARE(items.last(), action(u"ShowBook"_s));
    QCOMPARE(action(u"RecordInBook"_s)->text(), u"&Записать в журнал…"_s);
    QCOMPARE(action(u"RecordInBook"_s)->shortcut(), QKeySequence(u"Ctrl+D"_s));
    QCOMPARE(action(u"ShowBook"_s)->text(), u"&Журнал…"_s);
    QCOMPARE(action(u"ShowBook"_s)->shortcut(), QKeySequence(u"Ctrl+J"_s));

    // Recording follows the shown results; nothing of the book is loaded until an item is used.
    QVERIFY(!action(u"RecordInBook"_s)->isEnabled());
    QVERIFY(action(u"ShowBook"_s)->isEnabled());
    settleExample1();
    QVERIFY(action(u"RecordInBook"_s)->isEnabled());
    QTest::mouseClick(find<QWidget>(*m_window, u"HideResults"_s), Qt::LeftButton);
    QVERIFY(!action(u"RecordInBook"_s)->isEnabled());
    QVERIFY(!m_service);

    // A module that cannot be loaded is told, and the program goes on.
    BookController broken(*m_window, *m_files, m_desktop, [](QString *problem) {
        *problem = u"/opt/zelvara/libzelvara_book_window.so may be changed by others and is not loaded"_s;
        return static_cast<QObject *>(nullptr);
    });
    m_window->poolMenu()->actions().last()->trigger();
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY(m_desktop.messages[0].startsWith(u"Журнал недоступен: не удалось загрузить его модуль"_s));
    QVERIFY(m_desktop.messages[0].contains(u"may be changed by others"_s));
}

void BookWindowTest::record_settledSheetWithDateAndNote()
{
    settleExample1();
    RecordDialog *dialog = openRecordDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), u"Записать в журнал"_s);
    // The date is the settled sheet's, to the minute shown; the note its own (none here).
    const QDateTime settled =
        QDateTime::fromString(QString::fromStdString(m_window->shownSettlement()->date), Qt::ISODate);
    QCOMPARE(find<QDateTimeEdit>(*dialog, u"GameDate"_s)->dateTime().toSecsSinceEpoch() / 60,
             settled.toSecsSinceEpoch() / 60);
    QCOMPARE(find<QLineEdit>(*dialog, u"Note"_s)->text(), QString());
    QCOMPARE(testing::captionMismatches(dialog), QStringList());

    find<QDateTimeEdit>(*dialog, u"GameDate"_s)->setDateTime(QDateTime(QDate(2026, 12, 8), QTime(21, 40)));
    find<QLineEdit>(*dialog, u"Note"_s)->setText(u"Пятница у <b>Андрея</b>"_s);
    click(*dialog, u"Accept"_s);
    QTRY_VERIFY(!m_service->recordDialog());
    QCOMPARE(m_desktop.messages, QStringList());

    const auto records = book().records({}, 10);
    QCOMPARE(records.size(), std::size_t{1});
    QCOMPARE(records[0].note, std::string("Пятница у <b>Андрея</b>"));
    QCOMPARE(QDateTime::fromSecsSinceEpoch(records[0].utc), QDateTime(QDate(2026, 12, 8), QTime(21, 40)));
    QCOMPARE(records[0].players.size(), std::size_t{4});
    QCOMPARE(records[0].players[0].name, std::string("Запад"));
    QCOMPARE(records[0].players[0].hundredths, std::int64_t{-8100});
    QCOMPARE(records[0].players[3].hundredths, std::int64_t{10100});
    // The folder made for the book is the player's alone.
    QCOMPARE(QFile::permissions(m_dir->filePath(u"data/zelvara"_s)) & 0x0077, QFileDevice::Permissions());

    // Cancelled, nothing is written.
    openRecordDialog();
    click(*m_service->recordDialog(), u"Cancel"_s);
    QTRY_VERIFY(!m_service->recordDialog());
    QCOMPARE(book().recordCount(), std::int64_t{1});
}

void BookWindowTest::record_sameSheetAndDateTwice_asksFirst()
{
    settleExample1();
    for (int i = 0; i < 3; ++i) {
        // Unchanged, the dialog keeps the settled sheet's own date, seconds and all.
        openRecordDialog();
        click(*m_service->recordDialog(), u"Accept"_s);
        QTRY_VERIFY(!m_service->recordDialog());
        if (i == 0)
            m_desktop.answers = {false, true};
    }
    QCOMPARE(m_desktop.questions.size(), 2);
    QVERIFY2(m_desktop.questions[0].startsWith(u"Эта пуля с датой "_s), qPrintable(m_desktop.questions[0]));
    QVERIFY(m_desktop.questions[0].endsWith(u" уже записана в журнал. Записать её ещё раз?"_s));
    QCOMPARE(book().recordCount(), std::int64_t{2});

    // Another date is another game: nothing asked.
    openRecordDialog();
    auto *date = find<QDateTimeEdit>(*m_service->recordDialog(), u"GameDate"_s);
    date->setDateTime(date->dateTime().addDays(-1));
    click(*m_service->recordDialog(), u"Accept"_s);
    QTRY_VERIFY(!m_service->recordDialog());
    QCOMPARE(m_desktop.questions.size(), 2);
    QCOMPARE(book().recordCount(), std::int64_t{3});
}

void BookWindowTest::record_bookThatCannotBeUsed_saysWhyAndLeavesIt()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Пуля у Андрея: -81, +29, -49, +101\n");
    }
    settleExample1();
    openRecordDialog();
    click(*m_service->recordDialog(), u"Accept"_s);
    QTRY_COMPARE(m_desktop.messages.size(), 1);
    QVERIFY2(m_desktop.messages[0].contains(u"«"_s + m_path + u"» — не журнал Zelvara"_s),
             qPrintable(m_desktop.messages[0]));
    QVERIFY(m_desktop.messages[0].endsWith(u"Файл оставлен как есть."_s));
    QCOMPARE(QFileInfo(m_path).size(), qint64{QByteArray("Пуля у Андрея: -81, +29, -49, +101\n").size()});
    // The window says the same and stays closed; the sheet's own commands go on.
    QVERIFY(!openBook()->isVisible());
    QCOMPARE(m_desktop.messages.size(), 2);
    QVERIFY(m_window->shownSettlement());

    // A book that may only be read can be looked at; recording says why it cannot.
    QVERIFY(QFile::remove(m_path));
    book().add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    QVERIFY(QFile::setPermissions(m_path, QFileDevice::ReadOwner));
    if (QFileInfo(m_path).isWritable())
        QSKIP("the tests run as a user who may write any file");
    m_service->session().close();
    BookWindow *window = openBook();
    QVERIFY(window->isVisible());
    QCOMPARE(window->records().rowCount(), 1);
    QVERIFY(!find<QPushButton>(*window, u"DeleteRecord"_s)->isEnabled());
    openRecordDialog();
    click(*m_service->recordDialog(), u"Accept"_s);
    QTRY_COMPARE(m_desktop.messages.size(), 3);
    QVERIFY2(m_desktop.messages[2].contains(u"доступен только для чтения"_s), qPrintable(m_desktop.messages[2]));
}

void BookWindowTest::list_newestFirst_fetchesMoreOnScroll()
{
    {
        book::Book b = book();
        std::vector<book::Book::Entry> entries;
        for (int i = 0; i < 450; ++i) {
            char date[40];
            std::snprintf(date, sizeof date, "2026-%02d-%02dT20:%02d:00+03:00", 1 + i / 40, 1 + (i / 2) % 20, i % 60);
            entries.push_back({example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf(date), "игра " + std::to_string(i)});
        }
        b.addAll(entries);
    }
    BookWindow *window = openBook();
    QVERIFY(window && window->isVisible());
    auto *view = find<QTableView>(*window, u"Records"_s);
    const auto &model = window->records();
    // The newest first, one page read.
    QCOMPARE(model.rowCount(), int(app::RecordsModel::PageSize));
    QCOMPARE(model.index(0, 0).data().toString(), u"05.12.2026 20:29"_s);
    QCOMPARE(model.index(0, 1).data().toString(), u"Аня -81; Гоша +29; Юля -49; Саша +101"_s);
    QCOMPARE(model.index(0, 2).data().toString(), u"игра 449"_s);
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"Игроки и итоги"_s);
    const QStringList dates = column(model, 0);
    for (int i = 1; i < dates.size(); ++i) {
        const auto at = [](const QString &d) { return QDateTime::fromString(d, u"dd.MM.yyyy HH:mm"_s); };
        QVERIFY2(at(dates[i - 1]) >= at(dates[i]), qPrintable(dates[i - 1] + u" before "_s + dates[i]));
    }
    // Scrolled to the end, the view asks for the rest, a page at a time, and the last row is the oldest.
    for (int i = 0; i < 5 && model.rowCount() < 450; ++i) {
        view->scrollToBottom();
        QCoreApplication::processEvents();
    }
    QCOMPARE(model.rowCount(), 450);
    QCOMPARE(model.index(449, 2).data().toString(), u"игра 0"_s);
    QVERIFY(!model.canFetchMore({}));

    // One player and one month.
    window->setPeriod(BookWindow::Period::Dates);
    find<QDateEdit>(*window, u"From"_s)->setDate(QDate(2026, 2, 1));
    find<QDateEdit>(*window, u"To"_s)->setDate(QDate(2026, 2, 28));
    QCOMPARE(model.rowCount(), 40);
    auto *player = find<QComboBox>(*window, u"Player"_s);
    QCOMPARE(player->itemText(0), u"Все игроки"_s);
    QCOMPARE(player->count(), 5);
    player->setCurrentText(u"Юля"_s);
    QCOMPARE(model.rowCount(), 40);
    QCOMPARE(window->filter().player, std::optional<std::string>("Юля"));

    // The records the window shows go to CSV as zelvara-book writes them: a row a player, the user's
    // decimal separator, lines ended by CR LF.
    m_desktop.fileAnswers = {m_dir->filePath(u"пули.csv"_s)};
    click(*window, u"ExportRecords"_s);
    QFile csv(m_dir->filePath(u"пули.csv"_s));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.size(), 1 + 40 * 4 + 1);
    QCOMPARE(lines[0], QByteArray("id,date,note,seat,name,player,amount\r"));
    QVERIFY2(lines[1].endsWith(",1,Аня,Аня,-81\r"), lines[1].constData());
}

void BookWindowTest::delete_asksAndIsUndoneUntilClosed()
{
    {
        book::Book b = book();
        b.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "первая");
        b.add(example1({"Гоша", "Аня", "Саша", "Вера"}), dateOf("2026-12-02T20:00:00+03:00"), "вторая");
    }
    BookWindow *window = openBook();
    auto *view = find<QTableView>(*window, u"Records"_s);
    view->selectRow(0);
    QVERIFY(!find<QPushButton>(*window, u"UndoDelete"_s)->isEnabled());

    // "Нет" keeps it.
    click(*window, u"DeleteRecord"_s);
    QCOMPARE(m_desktop.questions.size(), 1);
    QCOMPARE(m_desktop.questions[0], u"Удалить из журнала пулю от 02.12.2026 20:00 (Гоша, Аня, Саша, Вера)? "
                                     u"Удаление можно отменить, пока окно журнала открыто."_s);
    QCOMPARE(book().recordCount(), std::int64_t{2});

    m_desktop.answers = {true};
    click(*window, u"DeleteRecord"_s);
    QCOMPARE(book().recordCount(), std::int64_t{1});
    QCOMPARE(window->records().rowCount(), 1);
    QCOMPARE(column(window->records(), 2), QStringList{u"первая"_s});
    auto *standings = find<QTableWidget>(*window, u"Standings"_s);
    QCOMPARE(standings->rowCount(), 4);

    click(*window, u"UndoDelete"_s);
    QCOMPARE(book().recordCount(), std::int64_t{2});
    QCOMPARE(column(window->records(), 2), (QStringList{u"вторая"_s, u"первая"_s}));
    QCOMPARE(standings->rowCount(), 5);
    QVERIFY(!find<QPushButton>(*window, u"UndoDelete"_s)->isEnabled());

    // Closing the window forgets what can be undone.
    view->selectRow(1);
    m_desktop.answers = {true};
    click(*window, u"DeleteRecord"_s);
    QVERIFY(find<QPushButton>(*window, u"UndoDelete"_s)->isEnabled());
    window->close();
    openBook();
    QVERIFY(!find<QPushButton>(*window, u"UndoDelete"_s)->isEnabled());
    QCOMPARE(column(window->records(), 2), QStringList{u"вторая"_s});
}

void BookWindowTest::openRecord_putsItsSheetOnTheWindowResultsHidden()
{
    book().add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "у Гоши");
    settleExample1();
    // The player types into the sheet: opening a record asks before it is replaced.
    QTest::keyClicks(find<QLineEdit>(*m_window, u"PoolOfP1For4"_s), u"5"_s);
    BookWindow *window = openBook();
    find<QTableView>(*window, u"Records"_s)->selectRow(0);
    m_desktop.answers = {true};
    click(*window, u"OpenRecord"_s);
    QTRY_COMPARE(m_window->fieldText(u"NameOfP1For4"_s), u"Аня"_s);
    QCOMPARE(m_desktop.questions, QStringList{u"Заменить введённую пулю пулей из журнала от 01.12.2026 20:00?"_s});
    QCOMPARE(m_window->fieldText(u"NameOfP4For4"_s), u"Саша"_s);
    QCOMPARE(m_window->fieldText(u"HeapOfP1For4"_s), u"20"_s);
    QCOMPARE(m_window->fieldText(u"PoolOfP1For4"_s), u"10"_s);
    QVERIFY(!m_window->shownSettlement());
    QCOMPARE(m_window->sheetOrigin(4).note, std::string("у Гоши"));

    // Settled again unchanged, it is the recorded game: recording it asks first.
    QTest::mouseClick(find<QWidget>(*m_window, u"Calculate"_s), Qt::LeftButton);
    QCOMPARE(m_window->shownSettlement()->date, std::string("2026-12-01T20:00:00+03:00"));
    openRecordDialog();
    QCOMPARE(find<QLineEdit>(*m_service->recordDialog(), u"Note"_s)->text(), u"у Гоши"_s);
    click(*m_service->recordDialog(), u"Accept"_s);
    QTRY_COMPARE(m_desktop.questions.size(), 2);
    QCOMPARE(book().recordCount(), std::int64_t{1});
}

void BookWindowTest::standings_seasonPaymentsAndChartOfImportedExamples()
{
    BookWindow *window = openBook();
    window->importFiles({Examples + u"/example1.json"_s, Examples + u"/example3_leningrad.json"_s,
                         Examples + u"/example2_lot_dialog_answered.json"_s, Examples + u"/example2_lot_dialog.json"_s,
                         Examples + u"/example1.json"_s});
    // The sheet that needs the lot's answer is listed, not guessed; a file chosen twice counts once.
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY2(m_desktop.messages[0].startsWith(u"Записано пуль: 3.\n\nНе записаны:\n«example2_lot_dialog.json»: "_s),
             qPrintable(m_desktop.messages[0]));
    QVERIFY2(
        m_desktop.messages[0].endsWith(u"«example1.json»: эта пуля с той же датой уже есть среди выбранных файлов"_s),
        qPrintable(m_desktop.messages[0]));
    QCOMPARE(book().recordCount(), std::int64_t{3});
    // Imported again, the same sheets are already there.
    window->importFiles({Examples + u"/example1.json"_s});
    QVERIFY2(m_desktop.messages[1].contains(u"уже есть в журнале"_s), qPrintable(m_desktop.messages[1]));
    QCOMPARE(book().recordCount(), std::int64_t{3});

    find<QTabWidget>(*window, u"Tabs"_s)->setCurrentIndex(1);
    auto *standings = find<QTableWidget>(*window, u"Standings"_s);
    QStringList rows;
    for (int row = 0; row < standings->rowCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < standings->columnCount(); ++c)
            cells << standings->item(row, c)->text();
        rows << cells.join(u' ');
    }
    QCOMPARE(rows, (QStringList{u"Юг 3 +144 +48 +103 -60"_s, u"Север 2 +62 +31 +33 +29"_s,
                                u"Восток 3 -102 -34 -6 -49"_s, u"Запад 3 -104 -34,67 +66 -89"_s}));
    auto *payments = find<QListWidget>(*window, u"SeasonPayments"_s);
    QStringList lines;
    for (int i = 0; i < payments->count(); ++i)
        lines << payments->item(i)->text();
    QCOMPARE(lines, (QStringList{u"Запад → Север: 62,00"_s, u"Запад → Юг: 42,00"_s, u"Восток → Юг: 102,00"_s}));
    QVERIFY(find<QLabel>(*window, u"SeasonPaymentsNote"_s)->isHidden());

    // One line a player on the chart, in the order of the standings; a point names its day and total.
    find<QTabWidget>(*window, u"Tabs"_s)->setCurrentIndex(2);
    QCOMPARE(window->chart().lineCount(), 4);
    QCOMPARE(window->chart().lineNames(), (QStringList{u"Юг"_s, u"Север"_s, u"Восток"_s, u"Запад"_s}));
    const auto lines0 = book().timeline({}, 10);
    const QDate last = QDate::fromString(QString::fromStdString(lines0[0].points.back().day), Qt::ISODate);
    QCOMPARE(window->chart().pointText(0, QPointF(double(QDateTime(last, QTime(12, 0)).toMSecsSinceEpoch()), 0)),
             u"Юг, "_s + last.toString(u"dd.MM.yyyy"_s) + u": +144"_s);

    // Exports: the standings as CSV, the chart as PNG.
    m_desktop.fileAnswers = {m_dir->filePath(u"итоги.csv"_s), m_dir->filePath(u"график.png"_s)};
    find<QTabWidget>(*window, u"Tabs"_s)->setCurrentIndex(1);
    click(*window, u"ExportStandings"_s);
    QFile csv(m_dir->filePath(u"итоги.csv"_s));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray table = csv.readAll();
    QVERIFY2(table.contains("\r\nЮг,3,144,"), table.constData());
    find<QTabWidget>(*window, u"Tabs"_s)->setCurrentIndex(2);
    click(*window, u"SaveChart"_s);
    QImage picture(m_dir->filePath(u"график.png"_s));
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() > 100);
}

void BookWindowTest::window_followsChangesFromAnotherProgram()
{
    BookWindow *window = openBook();
    QCOMPARE(window->records().rowCount(), 0);
    // The book appears, then changes, through another connection, as zelvara-book writes it.
    book::Book other = book();
    other.add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    m_service->session().look();
    QCOMPARE(window->records().rowCount(), 1);
    other.add(example1({"Аня", "Гоша", "Юля", "Вера"}), dateOf("2026-12-02T20:00:00+03:00"), "");
    // The window looks by itself while it is open.
    QTRY_COMPARE(window->records().rowCount(), 2);
    QCOMPARE(find<QTableWidget>(*window, u"Standings"_s)->rowCount(), 5);
    QVERIFY(find<QLabel>(*window, u"Status"_s)->text().endsWith(u"записей: 2"_s));

    // A rename there shows here.
    other.rename("Вера", "Вероника");
    m_service->session().look();
    auto *player = find<QComboBox>(*window, u"Player"_s);
    QVERIFY(player->findText(u"Вероника"_s) > 0);
    QCOMPARE(player->findText(u"Вера"_s), -1);
}

void BookWindowTest::players_renamedAndMergedInTheWindow()
{
    book().add(example1({"Аня", "Гоша", "Юля", "Саша"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    book().add(example1({"Аня", "Гоша", "Юля", "Александр"}), dateOf("2026-12-02T20:00:00+03:00"), "");
    BookWindow *window = openBook();
    find<QTabWidget>(*window, u"Tabs"_s)->setCurrentIndex(1);
    auto *standings = find<QTableWidget>(*window, u"Standings"_s);
    const auto select = [standings](const QString &name) {
        const QList<QTableWidgetItem *> found = standings->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        standings->selectRow(found.first()->row());
    };
    const auto answer = [&](const QString &dialog, const QString &value) {
        auto *asked = find<QDialog>(*window, dialog);
        if (auto *name = asked->findChild<QLineEdit *>(u"NewName"_s))
            name->setText(value);
        else
            find<QComboBox>(*asked, u"OtherPlayer"_s)->setCurrentText(value);
        click(*asked, u"Accept"_s);
        QTRY_VERIFY(!window->findChild<QDialog *>(dialog));
    };

    // A name another player has is refused, with the way out.
    select(u"Саша"_s);
    click(*window, u"RenamePlayer"_s);
    answer(u"RenamePlayerDialog"_s, u"аня"_s);
    QCOMPARE(m_desktop.messages,
             QStringList{u"Имя «аня» уже носит другой игрок журнала. Если это один человек, объедините их."_s});
    select(u"Саша"_s);
    click(*window, u"RenamePlayer"_s);
    answer(u"RenamePlayerDialog"_s, u"Сан Саныч"_s);
    QVERIFY(!standings->findItems(u"Сан Саныч"_s, Qt::MatchExactly).isEmpty());
    QVERIFY(standings->findItems(u"Саша"_s, Qt::MatchExactly).isEmpty());

    // Александр is the same man: one row with both games.
    select(u"Сан Саныч"_s);
    click(*window, u"MergePlayers"_s);
    answer(u"MergePlayersDialog"_s, u"Александр"_s);
    QCOMPARE(standings->rowCount(), 4);
    const QTableWidgetItem *merged = standings->findItems(u"Сан Саныч"_s, Qt::MatchExactly).value(0);
    QVERIFY(merged);
    QCOMPARE(standings->item(merged->row(), 1)->text(), u"2"_s);
    // Players who sat at one sheet are two people.
    select(u"Аня"_s);
    click(*window, u"MergePlayers"_s);
    answer(u"MergePlayersDialog"_s, u"Гоша"_s);
    QCOMPARE(m_desktop.messages.last(), u"«Аня» и «Гоша» играли в одной пуле: это разные игроки."_s);
    QCOMPARE(standings->rowCount(), 4);
}

void BookWindowTest::window_controlsNamedAndAnnounced()
{
    book().add(example1({"Аня", "Гоша", "Юля", "<i>Саша</i>"}), dateOf("2026-12-01T20:00:00+03:00"), "");
    BookWindow *window = openBook();
    QCOMPARE(window->windowTitle(), u"Журнал"_s);
    QVERIFY(!window->isModal());
    QVERIFY(m_window->isEnabled());
    // Every control the window makes has a name; the parts Qt builds inside them (headers, popups) are
    // Qt's.
    const auto insideAControl = [window](const QWidget *widget) {
        for (const QWidget *up = widget->parentWidget(); up && up != window; up = up->parentWidget()) {
            if (up->inherits("QAbstractItemView") || up->inherits("QComboBox") || up->inherits("QAbstractSpinBox"))
                return true;
        }
        return widget->window() != window;
    };
    for (QWidget *control : window->findChildren<QWidget *>()) {
        const bool own = control->inherits("QAbstractButton") || control->inherits("QComboBox") ||
                         control->inherits("QAbstractSpinBox") || control->inherits("QAbstractItemView") ||
                         control->inherits("QLabel") || control->inherits("QTabWidget");
        if (own && !insideAControl(control) && !control->inherits("QTabBar"))
            QVERIFY2(!control->objectName().isEmpty(), control->metaObject()->className());
    }
    QCOMPARE(testing::captionMismatches(window), QStringList());
    // A name from the book is text, never markup, wherever the window shows it.
    find<QTabWidget>(*window, u"Tabs"_s)->setCurrentIndex(1);
    auto *standings = find<QTableWidget>(*window, u"Standings"_s);
    QStringList names;
    for (int row = 0; row < standings->rowCount(); ++row)
        names << standings->item(row, 0)->text();
    QVERIFY(names.contains(u"<i>Саша</i>"_s));
    const QVariant tip = window->records().index(0, 1).data(Qt::ToolTipRole);
    QVERIFY2(tip.toString().contains(u"&lt;i&gt;Саша&lt;/i&gt;"_s), qPrintable(tip.toString()));
    // Table cells are read out as they are shown.
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(find<QTableView>(*window, u"Records"_s));
    QVERIFY(table && table->tableInterface());
    QCOMPARE(table->tableInterface()->cellAt(0, 1)->text(QAccessible::Name),
             u"Аня -81; Гоша +29; Юля -49; <i>Саша</i> +101"_s);
    // Escape closes the window; the main window never waited for it.
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(BookWindowTest)
#include "book_window_test.moc"
