// SPDX-License-Identifier: GPL-3.0-or-later
// The "&Пуля" menu's commands on shown results, driven as a player does: a settled sheet, the menu's
// items, Escape and the close box; the clipboard and the save dialog recorded by the test desktop.

#include "app/breakdown_window.h"
#include "app/main_window.h"
#include "app/payments_controller.h"
#include "app/payments_window.h"
#include "app/sheet_file_controller.h"
#include "report/report.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"

#include <QAction>
#include <QDate>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextTable>

#include <memory>

using namespace Qt::StringLiterals;
using zelvara::app::PaymentsController;
using zelvara::app::TZelvara;
using zelvara::testing::RecordingDesktop;
namespace engine = zelvara::engine;

namespace {

using Entries = QList<std::pair<QString, QString>>;

const QStringList AllItems = {u"Payments"_s,    u"Breakdown"_s, u"CopyResults"_s,
                              u"SavePicture"_s, u"Print"_s,     u"SavePdf"_s};

// The first worked example: Sochi, four players, heap on four, a whist worth 1; results -81, +29, -49, +101.
const Entries Example1 = {
    {u"HeapOfP1For4"_s, u"20"_s},      {u"HeapOfP2For4"_s, u"4"_s},       {u"HeapOfP3For4"_s, u"12"_s},
    {u"HeapOfP4For4"_s, u"0"_s},       {u"PoolOfP1For4"_s, u"10"_s},      {u"PoolOfP2For4"_s, u"8"_s},
    {u"PoolOfP3For4"_s, u"6"_s},       {u"PoolOfP4For4"_s, u"10"_s},      {u"WhistsOfP1ToP2For4"_s, u"20"_s},
    {u"WhistsOfP2ToP1For4"_s, u"4"_s}, {u"WhistsOfP3ToP4For4"_s, u"6"_s}, {u"WhistsOfP4ToP1For4"_s, u"2"_s},
    {u"ValueOfWhistFor4"_s, u"1"_s},
};

const QStringList Example1Pairs = {
    u"Запад платит Северу 19,00"_s,  u"Запад платит Востоку 10,00"_s, u"Запад платит Югу 52,00"_s,
    u"Восток платит Северу 25,00"_s, u"Север платит Югу 15,00"_s,     u"Восток платит Югу 34,00"_s,
};
const QStringList Example1Transfers = {
    u"Запад платит Северу 29,00"_s,
    u"Запад платит Югу 52,00"_s,
    u"Восток платит Югу 49,00"_s,
};

// The cells of each row of the one table in `html`, as a spreadsheet reads them.
QList<QStringList> tableRows(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    QList<QTextTable *> tables;
    for (QTextFrame *frame : document.rootFrame()->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame))
            tables << table;
    }
    if (tables.size() != 1)
        return {};
    QList<QStringList> rows;
    QTextTable *table = tables.front();
    for (int row = 0; row < table->rows(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columns();) {
            const QTextTableCell cell = table->cellAt(row, column);
            QTextCursor cursor = cell.firstCursorPosition();
            cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            cells << cursor.selectedText();
            column += std::max(cell.columnSpan(), 1);
        }
        rows << cells;
    }
    return rows;
}

// Every row of the HTML as written spans all `columns`: a spreadsheet pastes no ragged edge.
void checkRowsAsWideAsTheTable(const QString &html, int columns)
{
    static const QRegularExpression rowPattern(u"<tr>(.*?)</tr>"_s);
    static const QRegularExpression cellPattern(u"<t[hd]( colspan=\"(\\d+)\")?>"_s);
    int rows = 0;
    for (const QRegularExpressionMatch &row : rowPattern.globalMatch(html)) {
        int width = 0;
        for (const QRegularExpressionMatch &cell : cellPattern.globalMatch(row.captured(1)))
            width += cell.hasCaptured(2) ? cell.captured(2).toInt() : 1;
        QVERIFY2(width == columns, qPrintable(row.captured(0)));
        ++rows;
    }
    QVERIFY(rows > 0);
}

} // namespace

class PaymentsControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void items_followTheShownResults();
    void menu_hasOneAccessKeyPerItem();
    void views_openBesideAndCloseByEscapeOrCloseBox();
    void paymentsWindow_listsBothViewsAndFollowsTheSheet();
    void emptySheet_saysThatNobodyPays();
    void breakdownWindow_explainsTheShownResults();
    void copyResults_putsChatTextAndSpreadsheetTable();
    void copyResults_namesCannotBreakTheTable();
    void copyResults_isDatedBySettlementAndCopiesRoundedPairs();
    void report_showsTheSheetAsSettled();
    void savePicture_writesTheReportAtTwiceItsSize();
    void saveFiles_startInTheUsualFolderOrHome_pdfWritten();
    void savePicture_unwritablePath_namesItInAnError();
    void print_withoutTheModule_saysSo();

private:
    template <typename T> T *find(const QString &name) const
    {
        return zelvara::testing::findControl<T>(*m_window, name);
    }
    QAction *action(const QString &name) const { return find<QAction>(name); }
    void fill(const Entries &entries)
    {
        for (const auto &[field, text] : entries)
            m_window->setFieldText(field, text);
    }
    void click(const QString &button)
    {
        QWidget *target = find<QWidget>(button);
        QVERIFY2(target->isVisible() && target->isEnabled(), qPrintable(button));
        QTest::mouseClick(target, Qt::LeftButton);
    }
    void settleExample1()
    {
        fill(Example1);
        click(u"Calculate"_s);
        QVERIFY(m_window->shownSettlement());
    }
    QStringList enabledItems() const
    {
        QStringList enabled;
        for (const QString &name : AllItems) {
            if (action(name)->isEnabled())
                enabled << name;
        }
        return enabled;
    }
    QStringList listed(const QString &list) const
    {
        QStringList lines;
        const auto *widget = m_controller->paymentsWindow().findChild<QListWidget *>(list);
        for (int i = 0; i < widget->count(); ++i)
            lines << widget->item(i)->text();
        return lines;
    }

    RecordingDesktop m_desktop;
    std::unique_ptr<TZelvara> m_window;
    std::unique_ptr<PaymentsController> m_controller;
};

void PaymentsControllerTest::init()
{
    m_desktop.clear();
    m_window = std::make_unique<TZelvara>(m_desktop);
    m_controller = std::make_unique<PaymentsController>(*m_window, m_desktop);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void PaymentsControllerTest::cleanup()
{
    m_controller.reset();
    m_window.reset();
}

void PaymentsControllerTest::items_followTheShownResults()
{
    const QStringList all = AllItems;
    const QStringList none;
    QCOMPARE(action(u"CopyResults"_s)->shortcut(), QKeySequence(u"Ctrl+Shift+C"_s));
    QCOMPARE(action(u"Print"_s)->shortcut(), QKeySequence(u"Ctrl+P"_s));
    QCOMPARE(enabledItems(), none);
    // A disabled item's shortcut does nothing.
    QTest::keyClick(m_window.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!m_desktop.events.contains(u"clipboard"_s));

    settleExample1();
    QCOMPARE(enabledItems(), all);
    click(u"HideResults"_s);
    QCOMPARE(enabledItems(), none);
    click(u"ReturnResults"_s);
    QCOMPARE(enabledItems(), all);
    // A sheet without results, then back to the settled one.
    QTest::mouseClick(find<QRadioButton>(u"Players3"_s), Qt::LeftButton);
    QCOMPARE(enabledItems(), none);
    QTest::mouseClick(find<QRadioButton>(u"Players4"_s), Qt::LeftButton);
    QCOMPARE(enabledItems(), all);
    // A failed check leaves the old numbers on the screen, and the items that explain them.
    m_window->setFieldText(u"PoolOfP2For4"_s, u"x"_s);
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.beeps, 1);
    QCOMPARE(enabledItems(), all);
    m_window->setFieldText(u"PoolOfP2For4"_s, u"8"_s);
    click(u"Calculate"_s);
    QCOMPARE(enabledItems(), all);
    click(u"NewCalc"_s);
    QCOMPARE(enabledItems(), none);
}

void PaymentsControllerTest::menu_hasOneAccessKeyPerItem()
{
    // The whole menu, the sheet files' commands included.
    zelvara::app::SheetFileController files(*m_window, m_desktop, {});
    QStringList keys;
    for (const QAction *item : m_window->poolMenu()->actions()) {
        if (item->isSeparator())
            continue;
        const qsizetype amp = item->text().indexOf(u'&');
        QVERIFY2(amp >= 0 && amp + 1 < item->text().size(), qPrintable(item->text()));
        keys << item->text().mid(amp + 1, 1).toLower();
    }
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
    // The items of this menu so far; more may join, with keys of their own.
    QCOMPARE(keys.mid(0, 8), (QStringList{u"о"_s, u"с"_s, u"к"_s, u"п"_s, u"и"_s, u"а"_s, u"е"_s, u"d"_s}));
}

void PaymentsControllerTest::views_openBesideAndCloseByEscapeOrCloseBox()
{
    settleExample1();
    const QList<std::pair<QString, QString>> views = {{u"Payments"_s, u"Кто кому платит"_s},
                                                      {u"Breakdown"_s, u"Подробный расчёт"_s}};
    for (const auto &[item, caption] : views) {
        action(item)->trigger();
        QWidget *view = item == u"Payments"_s ? static_cast<QWidget *>(&m_controller->paymentsWindow())
                                              : static_cast<QWidget *>(&m_controller->breakdownWindow());
        QVERIFY2(view->isVisible(), qPrintable(item));
        QCOMPARE(view->objectName(), item + u"Window"_s);
        QCOMPARE(view->windowTitle(), caption);
        QCOMPARE(view->accessibleName(), caption);
        QVERIFY(!view->isModal());
        QVERIFY(m_window->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(view));

        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY2(!view->isVisible(), "Escape leaves the window open");
        QVERIFY(m_window->isEnabled());

        action(item)->trigger();
        QVERIFY(view->isVisible());
        // The close box.
        QVERIFY(view->close());
        QVERIFY(!view->isVisible());
        QVERIFY(m_window->isEnabled());
    }
}

void PaymentsControllerTest::paymentsWindow_listsBothViewsAndFollowsTheSheet()
{
    settleExample1();
    action(u"Payments"_s)->trigger();
    auto *tabs = m_controller->paymentsWindow().findChild<QTabWidget *>(u"Views"_s);
    QCOMPARE(tabs->tabText(0), u"По парам"_s);
    QCOMPARE(tabs->tabText(1), u"Наименьшим числом переводов"_s);
    QCOMPARE(listed(u"PairLines"_s), Example1Pairs);
    QCOMPARE(listed(u"TransferLines"_s), Example1Transfers);
    QCOMPARE(m_controller->paymentsWindow().note(), QString());

    // While open, the window follows what the main window shows.
    click(u"HideResults"_s);
    QCOMPARE(listed(u"PairLines"_s), QStringList{u"Итоги не показаны."_s});
    QVERIFY(!tabs->isEnabled());
    click(u"ReturnResults"_s);
    QVERIFY(tabs->isEnabled());
    QCOMPARE(listed(u"PairLines"_s), Example1Pairs);

    // The same sheet with the heaps not divided: whole heaps counted in whists.
    m_window->setOptions(engine::GameType::Sochi, engine::HeapDivision::Nondivisible);
    click(u"Calculate"_s);
    QCOMPARE(listed(u"PairLines"_s), (QStringList{u"Запад платит Северу 124,00"_s, u"Запад платит Востоку 40,00"_s,
                                                  u"Запад платит Югу 202,00"_s, u"Восток платит Северу 100,00"_s,
                                                  u"Север платит Югу 60,00"_s, u"Восток платит Югу 154,00"_s}));
    QCOMPARE(listed(u"TransferLines"_s), (QStringList{u"Запад платит Северу 164,00"_s, u"Запад платит Югу 202,00"_s,
                                                      u"Восток платит Югу 214,00"_s}));

    // Three players whose heap a lot correction would have levelled, the dialog declined: the results
    // were rounded one by one and miss zero by a hundredth, which the window must say.
    m_window->selectPlayers(3);
    m_window->setFieldText(u"HeapOfP1For3"_s, u"1"_s);
    const engine::SheetRecord declined{m_window->sheetTexts(3),
                                       {engine::GameType::Sochi, engine::HeapDivision::OnNPlayers},
                                       ',',
                                       engine::Answer{engine::Button::Cancel, 1}};
    auto shown = std::get<zelvara::correction::Shown>(zelvara::correction::play(declined));
    QCOMPARE(shown.results.front().text, std::string("-6,67"));
    m_window->showResults(declined, std::move(shown));
    QVERIFY(m_controller->paymentsWindow().note().startsWith(u"расхождение 0,01 из-за округления"_s));
}

void PaymentsControllerTest::emptySheet_saysThatNobodyPays()
{
    click(u"Calculate"_s);
    action(u"Payments"_s)->trigger();
    QCOMPARE(listed(u"PairLines"_s), QStringList{u"Никто никому не платит."_s});
    QCOMPARE(listed(u"TransferLines"_s), QStringList{u"Никто никому не платит."_s});
    action(u"CopyResults"_s)->trigger();
    QVERIFY2(m_desktop.clipboardText.endsWith(u"Запад: 0\nСевер: 0\nВосток: 0\nЮг: 0\n"
                                              u"Кто кому платит:\nникто никому не платит\n"_s),
             qPrintable(m_desktop.clipboardText));
}

void PaymentsControllerTest::breakdownWindow_explainsTheShownResults()
{
    settleExample1();
    action(u"Breakdown"_s)->trigger();
    const auto *text = m_controller->breakdownWindow().findChild<QPlainTextEdit *>(u"Lines"_s);
    QVERIFY(text->isReadOnly());
    const QString shown = text->toPlainText();
    for (const QString &part : {u"Сочи / Ростов"_s, u"-81"_s, u"+29"_s, u"-49"_s, u"+101"_s})
        QVERIFY2(shown.contains(part), qPrintable(part + u" is missing from:\n"_s + shown));
    click(u"NewCalc"_s);
    QCOMPARE(text->toPlainText(), u"Итоги не показаны."_s);
    QVERIFY(!text->isEnabled());
}

void PaymentsControllerTest::copyResults_putsChatTextAndSpreadsheetTable()
{
    settleExample1();
    QTest::keyClick(m_window.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_desktop.events.count(u"clipboard"_s), 1);
    const QString date = QDate::currentDate().toString(u"dd.MM.yyyy"_s);
    QCOMPARE(m_desktop.clipboardText, u"Пуля от "_s + date +
                                          u"\nСочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1\n"
                                          u"Запад: -81\nСевер: +29\nВосток: -49\nЮг: +101\n"
                                          u"Кто кому платит:\n"_s +
                                          Example1Transfers.join(u'\n') + u'\n');

    const QString html = m_desktop.clipboardHtml;
    QVERIFY(html.contains(u"<meta charset=\"utf-8\">"_s));
    QCOMPARE(html.count(u"<table"_s), 1);
    QVERIFY(html.contains(u"border=\"1\""_s));
    checkRowsAsWideAsTheTable(html, 3);
    const QList<QStringList> rows = tableRows(html);
    const QList<QStringList> expected = {
        {u"Пуля от "_s + date},
        {u"Сочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1"_s},
        {u"Игрок"_s, u"Итог"_s},
        {u"Запад"_s, u"-81"_s},
        {u"Север"_s, u"+29"_s},
        {u"Восток"_s, u"-49"_s},
        {u"Юг"_s, u"+101"_s},
        {u"Платит"_s, u"Получает"_s, u"Сумма"_s},
        {u"Запад"_s, u"Север"_s, u"29,00"_s},
        {u"Запад"_s, u"Юг"_s, u"52,00"_s},
        {u"Восток"_s, u"Юг"_s, u"49,00"_s},
    };
    QCOMPARE(rows, expected);
}

void PaymentsControllerTest::copyResults_namesCannotBreakTheTable()
{
    fill(Example1);
    m_window->setFieldText(u"NameOfP1For4"_s, u"<b>Петя & \"Ко\"</b>"_s);
    click(u"Calculate"_s);
    action(u"CopyResults"_s)->trigger();
    QVERIFY(m_desktop.clipboardText.contains(u"<b>Петя & \"Ко\"</b>: -81\n"_s));
    QVERIFY(!m_desktop.clipboardHtml.contains(u"<b>"_s));
    QCOMPARE(tableRows(m_desktop.clipboardHtml).value(3), (QStringList{u"<b>Петя & \"Ко\"</b>"_s, u"-81"_s}));
    checkRowsAsWideAsTheTable(m_desktop.clipboardHtml, 3);
}

void PaymentsControllerTest::copyResults_isDatedBySettlementAndCopiesRoundedPairs()
{
    // A sheet opened from a file saved in March, settled as it came: the copy is dated by the file.
    engine::SheetTexts texts = engine::SheetTexts::withDesignTexts(4);
    m_window->loadSheet(texts, {}, {std::string("2025-03-02T23:30:00-05:00"), {}});
    fill(Example1);
    m_window->markSheetKept(4);
    click(u"Calculate"_s);
    action(u"CopyResults"_s)->trigger();
    QVERIFY2(m_desktop.clipboardText.startsWith(u"Пуля от 02.03.2025\n"_s), qPrintable(m_desktop.clipboardText));
    QCOMPARE(tableRows(m_desktop.clipboardHtml).value(0), QStringList{u"Пуля от 02.03.2025"_s});

    // A heap that does not divide, its correction declined, a whist worth 33 kopecks: the pairs are
    // rounded, the note says so, and the pairs come along so the note can be checked.
    m_window->setFieldText(u"HeapOfP1For4"_s, u"21"_s);
    m_window->setFieldText(u"ValueOfWhistFor4"_s, u"0,33"_s);
    const engine::SheetRecord declined{m_window->sheetTexts(4), m_window->options(), ',',
                                       engine::Answer{engine::Button::Cancel, 1}};
    auto shown = std::get<zelvara::correction::Shown>(zelvara::correction::play(declined));
    m_window->showResults(declined, std::move(shown));
    const zelvara::correction::SettledSheet *settled = m_window->shownSettlement();
    const auto explanation = zelvara::correction::explain(settled->record, settled->shown);
    QVERIFY(!explanation.payments.roundedPairs.empty());
    action(u"CopyResults"_s)->trigger();
    const QString text = m_desktop.clipboardText;
    QStringList pairs;
    for (const std::string &line : explanation.pairLines)
        pairs << QString::fromStdString(line);
    QVERIFY2(text.contains(u"По парам:\n"_s + pairs.join(u'\n') + u'\n'), qPrintable(text));
    QVERIFY2(text.endsWith(QString::fromStdString(explanation.paymentsNote) + u'\n'), qPrintable(text));
    const QList<QStringList> rows = tableRows(m_desktop.clipboardHtml);
    const qsizetype heading = rows.indexOf(QStringList{u"По парам"_s});
    QVERIFY(heading > 0);
    QCOMPARE(rows.size(), heading + static_cast<qsizetype>(explanation.payments.pairs.size()) + 2);
    checkRowsAsWideAsTheTable(m_desktop.clipboardHtml, 3);
}

void PaymentsControllerTest::report_showsTheSheetAsSettled()
{
    settleExample1();
    const zelvara::report::Report settled = *m_controller->shownReport();
    const auto heapOfWest = [](const zelvara::report::Report &report) {
        for (const zelvara::report::Item &item : report.items) {
            if (item.kind == zelvara::report::Item::Kind::Text && item.role == u"HeapOfP1For4"_s)
                return item.text;
        }
        return QString();
    };
    QCOMPARE(heapOfWest(settled), u"20"_s);
    const QImage before = zelvara::report::picture(settled, 1);

    // A new heap typed after the calculation, and a "Рассчитать" that fails on a pool: the results on
    // the screen are still those of heap 20, and so is everything drawn of them.
    m_window->setFieldText(u"HeapOfP1For4"_s, u"50"_s);
    QCOMPARE(heapOfWest(*m_controller->shownReport()), u"20"_s);
    m_window->setFieldText(u"PoolOfP2For4"_s, u"x"_s);
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.beeps, 1);
    QCOMPARE(zelvara::report::picture(*m_controller->shownReport(), 1), before);

    click(u"NewCalc"_s);
    QVERIFY(!m_controller->shownReport());
}

void PaymentsControllerTest::savePicture_writesTheReportAtTwiceItsSize()
{
    settleExample1();
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(u"пуля.png"_s);

    // A cancelled dialog writes nothing and says nothing.
    action(u"SavePicture"_s)->trigger();
    QCOMPARE(m_desktop.fileDialogs.size(), 1);
    QCOMPARE(m_desktop.fileDialogs[0].caption, u"Сохранить картинку"_s);
    QCOMPARE(m_desktop.fileDialogs[0].filter, u"PNG (*.png)"_s);
    QCOMPARE(QFileInfo(m_desktop.fileDialogs[0].start).fileName(),
             u"Пуля "_s + QDate::currentDate().toString(u"yyyy-MM-dd"_s) + u".png"_s);
    QVERIFY(m_desktop.messages.isEmpty());

    // The report at twice its size on this unscaled screen, exactly as it is drawn.
    const zelvara::report::Report report = *m_controller->shownReport();
    QCOMPARE(m_controller->pictureRatio(), 2.0);
    m_desktop.fileAnswers = {path};
    action(u"SavePicture"_s)->trigger();
    QVERIFY(m_desktop.messages.isEmpty());
    const QImage saved(path, "PNG");
    QCOMPARE(saved.size(), (report.size * 2).toSize());
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), zelvara::report::picture(report, 2));
}

void PaymentsControllerTest::saveFiles_startInTheUsualFolderOrHome_pdfWritten()
{
    settleExample1();
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u".config"_s)));
    const QString day = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    const auto startOf = [this](const QString &item) {
        m_desktop.fileDialogs.clear();
        action(item)->trigger();
        return m_desktop.fileDialogs.value(0).start;
    };
    // No Pictures or Documents folder: home, never the folder the program was started from.
    QCOMPARE(startOf(u"SavePicture"_s), home.filePath(u"Пуля "_s + day + u".png"_s));
    QCOMPARE(startOf(u"SavePdf"_s), home.filePath(u"Пуля "_s + day + u".pdf"_s));
    QVERIFY(QDir(home.path()).mkdir(u"Pictures"_s) && QDir(home.path()).mkdir(u"Documents"_s));
    QCOMPARE(startOf(u"SavePicture"_s), home.filePath(u"Pictures/Пуля "_s + day + u".png"_s));
    QCOMPARE(startOf(u"SavePdf"_s), home.filePath(u"Documents/Пуля "_s + day + u".pdf"_s));
    QCOMPARE(m_desktop.fileDialogs.value(0).caption, u"Сохранить в PDF"_s);
    QCOMPARE(m_desktop.fileDialogs.value(0).filter, u"PDF (*.pdf)"_s);

    // What the PDF holds is the report's own test; here it is written where the player said.
    const QString pdf = home.filePath(u"пуля.pdf"_s);
    m_desktop.fileAnswers = {pdf};
    action(u"SavePdf"_s)->trigger();
    QVERIFY(m_desktop.messages.isEmpty());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-");
    qputenv("HOME", oldHome);
    if (oldConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

void PaymentsControllerTest::savePicture_unwritablePath_namesItInAnError()
{
    settleExample1();
    QTemporaryDir folder;
    const QString path = folder.filePath(u"нет такой папки/пуля.png"_s);
    m_desktop.fileAnswers = {path};
    action(u"SavePicture"_s)->trigger();
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY2(m_desktop.messages[0].contains(path), qPrintable(m_desktop.messages[0]));
}

void PaymentsControllerTest::print_withoutTheModule_saysSo()
{
    // This test program has no print module beside it, nor one installed: the player is told, once.
    settleExample1();
    QTest::keyClick(m_window.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(m_desktop.beeps, 1);
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY2(m_desktop.messages[0].startsWith(u"Печать недоступна"_s), qPrintable(m_desktop.messages[0]));
}

QTEST_MAIN(PaymentsControllerTest)
#include "payments_controller_test.moc"
