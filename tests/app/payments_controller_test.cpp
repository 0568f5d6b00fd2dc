// SPDX-License-Identifier: GPL-3.0-or-later
// The "&Пуля" menu's commands on shown results, driven as a player does: a settled sheet, the menu's
// items, Escape and the close box; the clipboard and the save dialog recorded by the test desktop.

#include "app/breakdown_window.h"
#include "app/main_window.h"
#include "app/payments_controller.h"
#include "app/payments_window.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"

#include <QAction>
#include <QDate>
#include <QImage>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using zelvara::app::PaymentsController;
using zelvara::app::TZelvara;
using zelvara::testing::RecordingDesktop;
namespace engine = zelvara::engine;

namespace {

using Entries = QList<std::pair<QString, QString>>;

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

} // namespace

class PaymentsControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void items_followTheShownResults();
    void views_openBesideAndCloseByEscapeOrCloseBox();
    void paymentsWindow_listsBothViewsAndFollowsTheSheet();
    void emptySheet_saysThatNobodyPays();
    void breakdownWindow_explainsTheShownResults();
    void copyResults_putsChatTextAndSpreadsheetTable();
    void copyResults_namesCannotBreakTheTable();
    void savePicture_writesSheetWithOptionsUnderIt();
    void savePicture_unwritablePath_namesItInAnError();

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
        for (const QString &name : {u"Payments"_s, u"Breakdown"_s, u"CopyResults"_s, u"SavePicture"_s}) {
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
    const QStringList all = {u"Payments"_s, u"Breakdown"_s, u"CopyResults"_s, u"SavePicture"_s};
    const QStringList none;
    QCOMPARE(action(u"CopyResults"_s)->shortcut(), QKeySequence(u"Ctrl+Shift+C"_s));
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

void PaymentsControllerTest::views_openBesideAndCloseByEscapeOrCloseBox()
{
    settleExample1();
    const QList<std::pair<QString, QString>> views = {{u"Payments"_s, u"Кто кому платит"_s},
                                                      {u"Breakdown"_s, u"Подробный расчет"_s}};
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
    QVERIFY(html.contains(u"<tr><td>Пуля от</td><td colspan=\"2\">"_s + date + u"</td></tr>"_s));
    QVERIFY(html.contains(u"<tr><th>Игрок</th><th>Итог</th></tr>\n"
                          u"<tr><td>Запад</td><td>-81</td></tr>\n<tr><td>Север</td><td>+29</td></tr>\n"
                          u"<tr><td>Восток</td><td>-49</td></tr>\n<tr><td>Юг</td><td>+101</td></tr>\n"_s));
    QVERIFY(html.contains(u"<tr><th>Платит</th><th>Получает</th><th>Сумма</th></tr>\n"
                          u"<tr><td>Запад</td><td>Север</td><td>29,00</td></tr>\n"
                          u"<tr><td>Запад</td><td>Юг</td><td>52,00</td></tr>\n"
                          u"<tr><td>Восток</td><td>Юг</td><td>49,00</td></tr>\n</table>"_s));
}

void PaymentsControllerTest::copyResults_namesCannotBreakTheTable()
{
    fill(Example1);
    m_window->setFieldText(u"NameOfP1For4"_s, u"<b>Петя & \"Ко\"</b>"_s);
    click(u"Calculate"_s);
    action(u"CopyResults"_s)->trigger();
    QVERIFY(m_desktop.clipboardText.contains(u"<b>Петя & \"Ко\"</b>: -81\n"_s));
    QVERIFY(!m_desktop.clipboardHtml.contains(u"<b>"_s));
    QVERIFY(m_desktop.clipboardHtml.contains(u"<td>&lt;b&gt;Петя &amp; &quot;Ко&quot;&lt;/b&gt;</td><td>-81</td>"_s));
}

void PaymentsControllerTest::savePicture_writesSheetWithOptionsUnderIt()
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
    QVERIFY(m_desktop.fileDialogs[0].start.endsWith(u".png"_s));
    QVERIFY(m_desktop.messages.isEmpty());

    m_desktop.fileAnswers = {path};
    action(u"SavePicture"_s)->trigger();
    QVERIFY(m_desktop.messages.isEmpty());
    QImage saved(path, "PNG");
    QVERIFY(!saved.isNull());
    QWidget *panel = find<QWidget>(u"PanelFor4"_s);
    QVERIFY(saved.width() == panel->width() && saved.height() > panel->height() + 8);
    // The top is the sheet as drawn, results included; the options are written under it.
    const QImage sheet = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32).copy(QRect(QPoint(), panel->size())), sheet);
    const QImage under = saved.copy(0, panel->height(), saved.width(), saved.height() - panel->height());
    const QRgb background = under.pixel(0, 0);
    int inked = 0;
    for (int y = 0; y < under.height(); ++y) {
        for (int x = 0; x < under.width(); ++x)
            inked += under.pixel(x, y) != background ? 1 : 0;
    }
    QVERIFY2(inked > 100, "no options written under the sheet");
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

QTEST_MAIN(PaymentsControllerTest)
#include "payments_controller_test.moc"
