// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a player drives it: fields found by name, typed into with real key events,
// buttons clicked; beeps and message boxes recorded by the test desktop.

#include "app/about_window.h"
#include "app/breakdown_window.h"
#include "app/main_window.h"
#include "app/payments_window.h"
#include "correction/dialogs/choice_of_player_dialog.h"
#include "correction/dialogs/confirm_of_change_dialog.h"
#include "tests/support/announced_captions.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;
using zelvara::app::TZelvara;
using zelvara::testing::RecordingDesktop;
namespace engine = zelvara::engine;

namespace {

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

// Sheet entries of a row: "HeapOfP1For4=20" pairs.
using Entries = QList<std::pair<QString, QString>>;

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window_hasFixedClientAndNoMinimiseBox();
    void controls_sitWhereTheSheetDrawsThem_data();
    void controls_sitWhereTheSheetDrawsThem();
    void tabOrder_visitsSheetRoundTheTable_data();
    void tabOrder_visitsSheetRoundTheTable();

    void calculate_showsWorkedExamples_data();
    void calculate_showsWorkedExamples();
    void calculate_failedCheck_beepsAndShowsMessage_data();
    void calculate_failedCheck_beepsAndShowsMessage();
    void calculate_correctionCase_leavesScreenAsItWas();
    void calculate_laterGain_turnsRedResultNavy();
    void calculate_failedCheckOnTwoPlayers_turnsOldResultsNavy_data();
    void calculate_failedCheckOnTwoPlayers_turnsOldResultsNavy();

    void switch_toTwoPlayers_movesMinusOneToNondivisible();
    void switch_keepsEachSheetsState();
    void switch_afterFailedCheck_offersReturn();
    void newCalc_ctrlN_clearsOnlySelectedSheetsNumbers();

    void nameFilter_refusesTooWideName();
    void nameFilter_holdsPastedAndComposedText();
    void optionGroups_tabEntersAtTheCheckedButton();
    void captionedControls_announcedByTheirCaption();
    void typingLimit_bindsTypingOnly();
    void accessibleNames_followPlayerNames();
    void reference_missingDocument_beepsAfterOpening();
    void bringToFront_restoresMinimisedWindow();
    void shownSettlement_followsResultsOnScreen();
    void loadSheet_replacesOnlyThatSheet();
    void everyWindow_showsTextsAsWritten();

private:
    template <typename T> T *find(const QString &name) const
    {
        return zelvara::testing::findControl<T>(*m_window, name);
    }
    QLineEdit *edit(const QString &name) const { return find<QLineEdit>(name); }
    void type(const QString &field, const QString &text);
    void fill(const Entries &entries);
    void click(const QString &button);
    void selectPlayers(int n)
    {
        QTest::mouseClick(find<QRadioButton>(u"Players"_s + QString::number(n)), Qt::LeftButton);
    }
    QStringList results(int players) const;
    QColor colour(const QString &field) const { return edit(field)->palette().color(QPalette::Text); }
    bool hideOffered() const { return find<QPushButton>(u"HideResults"_s)->isVisible(); }
    bool hideEnabled() const { return find<QPushButton>(u"HideResults"_s)->isEnabled(); }
    bool returnOffered() const { return find<QToolButton>(u"ReturnResults"_s)->isVisible(); }

    RecordingDesktop m_desktop;
    std::unique_ptr<TZelvara> m_window;
};

void MainWindowTest::init()
{
    m_desktop.clear();
    m_window = std::make_unique<TZelvara>(m_desktop);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void MainWindowTest::cleanup()
{
    m_window.reset();
}

void MainWindowTest::type(const QString &field, const QString &text)
{
    QLineEdit *target = edit(field);
    QTest::mouseClick(target, Qt::LeftButton);
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(target, Qt::Key_Delete);
        return;
    }
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void MainWindowTest::fill(const Entries &entries)
{
    for (const auto &[field, text] : entries)
        type(field, text);
}

void MainWindowTest::click(const QString &button)
{
    QWidget *target = find<QWidget>(button);
    QVERIFY2(target->isVisible() && target->isEnabled(), qPrintable(button));
    QTest::mouseClick(target, Qt::LeftButton);
}

QStringList MainWindowTest::results(int players) const
{
    QStringList texts;
    for (int i = 1; i <= players; ++i)
        texts << edit(u"ResultOfP%1For%2"_s.arg(i).arg(players))->text();
    return texts;
}

void MainWindowTest::window_hasFixedClientAndNoMinimiseBox()
{
    QCOMPARE(m_window->centralWidget()->size(), QSize(511, 473));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(m_window->windowTitle(), u"Zelvara - программа для расчета пули в преферансе"_s);
    QCOMPARE(m_window->findChild<QAction *>(u"New"_s)->shortcut(), QKeySequence(u"Ctrl+N"_s));
    // The artwork is compiled in and decodes: the banner and every sheet's drawing. A hidden sheet and its
    // drawing are made only once the player first turns to it.
    QVERIFY(!find<QLabel>(u"Preference"_s)->pixmap().isNull());
    QVERIFY(!find<QLabel>(u"PoolFor4"_s)->pixmap().isNull());
    QVERIFY(!m_window->findChild<QLabel *>(u"PoolFor3"_s));
    QVERIFY(!m_window->findChild<QLineEdit *>(u"HeapOfP1For2"_s));
    selectPlayers(3);
    selectPlayers(2);
    QVERIFY(!find<QLabel>(u"PoolFor3"_s)->pixmap().isNull());
    QVERIFY(!find<QLabel>(u"PoolFor2"_s)->pixmap().isNull());
    QVERIFY(!m_window->windowIcon().isNull());
}

void MainWindowTest::controls_sitWhereTheSheetDrawsThem_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("banner") << 4 << u"Preference"_s << QRect(0, 0, 510, 93);
    QTest::newRow("options group") << 4 << u"HeapDivisibility"_s << QRect(380, 223, 121, 65);
    QTest::newRow("hide and return share a place") << 4 << u"HideResults"_s << QRect(380, 338, 121, 41);
    QTest::newRow("4: pool picture") << 4 << u"PoolFor4"_s << QRect(8, 103, 363, 363);
    QTest::newRow("4: whists of west on east") << 4 << u"WhistsOfP1ToP3For4"_s << QRect(20, 274, 43, 21);
    QTest::newRow("4: name of south") << 4 << u"NameOfP4For4"_s << QRect(166, 313, 46, 23);
    QTest::newRow("4: result of east") << 4 << u"ResultOfP3For4"_s << QRect(218, 306, 157, 25);
    QTest::newRow("3: heap of west") << 3 << u"HeapOfP1For3"_s << QRect(115, 250, 37, 21);
    QTest::newRow("2: whist value") << 2 << u"ValueOfWhistFor2"_s << QRect(171, 280, 37, 21);
}

void MainWindowTest::controls_sitWhereTheSheetDrawsThem()
{
    QFETCH(int, players);
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    m_window->selectPlayers(players);
    auto *control = find<QWidget>(name);
    QWidget *client = m_window->centralWidget();
    QCOMPARE(QRect(control->mapTo(client, QPoint(0, 0)), control->size()), geometry);
    if (name == u"HideResults"_s)
        QCOMPARE(find<QWidget>(u"ReturnResults"_s)->geometry(), geometry);
}

void MainWindowTest::tabOrder_visitsSheetRoundTheTable_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("four players") << 4
                                  << QStringList{
                                         u"HeapOfP1For4"_s,       u"HeapOfP2For4"_s,       u"HeapOfP3For4"_s,
                                         u"HeapOfP4For4"_s,       u"PoolOfP1For4"_s,       u"PoolOfP2For4"_s,
                                         u"PoolOfP3For4"_s,       u"PoolOfP4For4"_s,       u"WhistsOfP1ToP4For4"_s,
                                         u"WhistsOfP1ToP3For4"_s, u"WhistsOfP1ToP2For4"_s, u"WhistsOfP2ToP1For4"_s,
                                         u"WhistsOfP2ToP4For4"_s, u"WhistsOfP2ToP3For4"_s, u"WhistsOfP3ToP2For4"_s,
                                         u"WhistsOfP3ToP1For4"_s, u"WhistsOfP3ToP4For4"_s, u"WhistsOfP4ToP3For4"_s,
                                         u"WhistsOfP4ToP2For4"_s, u"WhistsOfP4ToP1For4"_s, u"NameOfP1For4"_s,
                                         u"NameOfP2For4"_s,       u"NameOfP3For4"_s,       u"NameOfP4For4"_s,
                                         u"ValueOfWhistFor4"_s,   u"Calculate"_s};
    QTest::newRow("whole window, option groups one stop each")
        << 4 << QStringList{u"Players4"_s, u"Sochi"_s, u"OnNPlayers"_s, u"HeapOfP1For4"_s, u"HeapOfP2For4"_s};
    QTest::newRow("wraps round past the buttons")
        << 4 << QStringList{u"ValueOfWhistFor4"_s, u"Calculate"_s, u"NewCalc"_s, u"Info"_s, u"Players4"_s};
    QTest::newRow("two players, results shown")
        << 2 << QStringList{u"HeapOfP1For2"_s, u"HeapOfP2For2"_s,       u"PoolOfP1For2"_s,
                            u"PoolOfP2For2"_s, u"WhistsOfP1ToP2For2"_s, u"WhistsOfP2ToP1For2"_s,
                            u"NameOfP1For2"_s, u"NameOfP2For2"_s,       u"ValueOfWhistFor2"_s,
                            u"Calculate"_s,    u"HideResults"_s,        u"NewCalc"_s,
                            u"Info"_s};
}

void MainWindowTest::tabOrder_visitsSheetRoundTheTable()
{
    QFETCH(int, players);
    QFETCH(QStringList, order);
    selectPlayers(players);
    if (players == 2)
        click(u"Calculate"_s);
    find<QWidget>(order.first())->setFocus(Qt::TabFocusReason);
    QStringList visited{order.first()};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, order);
}

void MainWindowTest::calculate_showsWorkedExamples_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("option");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QStringList>("expected");

    const Entries example1 = {
        {u"HeapOfP1For4"_s, u"20"_s},      {u"HeapOfP2For4"_s, u"4"_s},       {u"HeapOfP3For4"_s, u"12"_s},
        {u"HeapOfP4For4"_s, u"0"_s},       {u"PoolOfP1For4"_s, u"10"_s},      {u"PoolOfP2For4"_s, u"8"_s},
        {u"PoolOfP3For4"_s, u"6"_s},       {u"PoolOfP4For4"_s, u"10"_s},      {u"WhistsOfP1ToP2For4"_s, u"20"_s},
        {u"WhistsOfP2ToP1For4"_s, u"4"_s}, {u"WhistsOfP3ToP4For4"_s, u"6"_s}, {u"WhistsOfP4ToP1For4"_s, u"2"_s},
    };
    QTest::newRow("example 1") << 4 << u"OnNPlayers"_s << example1
                               << QStringList{u"-81"_s, u"+29"_s, u"-49"_s, u"+101"_s};
    QTest::newRow("example 1, whist at half")
        << 4 << u"OnNPlayers"_s << (example1 + Entries{{u"ValueOfWhistFor4"_s, u"0,5"_s}})
        << QStringList{u"-40,5"_s, u"+14,5"_s, u"-24,5"_s, u"+50,5"_s};
    QTest::newRow("example 2, odd heap absorbed by half a whist")
        << 4 << u"OnNPlayers"_s << (example1 + Entries{{u"HeapOfP1For4"_s, u"21"_s}, {u"ValueOfWhistFor4"_s, u"0,5"_s}})
        << QStringList{u"-44,25"_s, u"+15,75"_s, u"-23,25"_s, u"+51,75"_s};
    QTest::newRow("example 3, Leningrad three players")
        << 3 << u"Leningrad OnNPlayersMinus1"_s
        << Entries{{u"HeapOfP1For3"_s, u"14"_s},       {u"HeapOfP2For3"_s, u"10"_s},
                   {u"HeapOfP3For3"_s, u"8"_s},        {u"PoolOfP1For3"_s, u"10"_s},
                   {u"PoolOfP2For3"_s, u"5"_s},        {u"PoolOfP3For3"_s, u"0"_s},
                   {u"WhistsOfP1ToP2For3"_s, u"30"_s}, {u"WhistsOfP2ToP1For3"_s, u"10"_s},
                   {u"WhistsOfP1ToP3For3"_s, u"12"_s}, {u"WhistsOfP2ToP3For3"_s, u"5"_s},
                   {u"WhistsOfP3ToP2For3"_s, u"7"_s},  {u"ValueOfWhistFor3"_s, u"0,5"_s}}
        << QStringList{u"+66"_s, u"-6"_s, u"-60"_s};
    QTest::newRow("example 4, levelled heaps") << 4 << u"OnNPlayersMinus1"_s
                                               << Entries{{u"HeapOfP1For4"_s, u"4"_s},
                                                          {u"HeapOfP2For4"_s, u"1"_s},
                                                          {u"HeapOfP3For4"_s, u"7"_s},
                                                          {u"HeapOfP4For4"_s, u"10"_s}}
                                               << QStringList{u"+20"_s, u"+60"_s, u"-20"_s, u"-60"_s};
    QTest::newRow("example 5, nondivisible")
        << 4 << u"Nondivisible"_s << example1 << QStringList{u"-366"_s, u"+164"_s, u"-214"_s, u"+416"_s};
    QTest::newRow("example 6, two players") << 2 << u"OnNPlayers"_s
                                            << Entries{{u"HeapOfP1For2"_s, u"6"_s},
                                                       {u"HeapOfP2For2"_s, u"2"_s},
                                                       {u"PoolOfP2For2"_s, u"4"_s},
                                                       {u"WhistsOfP1ToP2For2"_s, u"10"_s},
                                                       {u"WhistsOfP2ToP1For2"_s, u"4"_s}}
                                            << QStringList{u"-34"_s, u"+34"_s};
    QTest::newRow("empty sheet shows zero in navy")
        << 3 << u"OnNPlayers"_s << Entries{} << QStringList{u"0"_s, u"0"_s, u"0"_s};
}

void MainWindowTest::calculate_showsWorkedExamples()
{
    QFETCH(int, players);
    QFETCH(QString, option);
    QFETCH(Entries, entries);
    QFETCH(QStringList, expected);

    selectPlayers(players);
    for (const QString &choice : option.split(u' '))
        QTest::mouseClick(find<QRadioButton>(choice), Qt::LeftButton);
    fill(entries);
    click(u"Calculate"_s);

    QCOMPARE(m_desktop.messages, QStringList());
    QCOMPARE(m_desktop.beeps, 0);
    QCOMPARE(results(players), expected);
    for (int i = 1; i <= players; ++i) {
        const QString name = u"ResultOfP%1For%2"_s.arg(i).arg(players);
        QVERIFY(edit(name)->isVisible());
        QCOMPARE(colour(name), expected[i - 1].startsWith(u'-') ? Red : Navy);
    }
    QVERIFY(hideOffered() && hideEnabled());
    QVERIFY(!returnOffered());
}

void MainWindowTest::calculate_failedCheck_beepsAndShowsMessage_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing name") << Entries{{u"NameOfP3For4"_s, u""_s}}
                                  << u"Пожалуйста, укажите имена всех игроков."_s;
    QTest::newRow("equal names") << Entries{{u"NameOfP2For4"_s, u"Юг"_s}}
                                 << u"Имена игроков не должны быть одинаковыми!"_s;
    QTest::newRow("point where the user writes a comma")
        << Entries{{u"ValueOfWhistFor4"_s, u"0.5"_s}}
        << u"В поле \"Вист\" допустимы только значения, которые может принимать денежная единица!"_s;
    QTest::newRow("letters in a heap")
        << Entries{{u"HeapOfP2For4"_s, u"12a"_s}}
        << u"В полях \"Гора\", \"Пуля\" и \"Висты\" не допускается ввод другого типа данных, кроме как \"целое число\"!"_s;
}

void MainWindowTest::calculate_failedCheck_beepsAndShowsMessage()
{
    QFETCH(Entries, entries);
    QFETCH(QString, message);
    fill(entries);
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.events, (QStringList{u"beep"_s, u"box"_s}));
    QCOMPARE(m_desktop.messages, QStringList{message});
    QVERIFY(!edit(u"ResultOfP1For4"_s)->isVisible());
    QVERIFY(hideOffered() && !hideEnabled());
}

void MainWindowTest::calculate_correctionCase_leavesScreenAsItWas()
{
    std::vector<engine::CorrectionDialog> corrections;
    connect(m_window.get(), &TZelvara::correctionRequested, this,
            [&corrections](const engine::SheetRecord &, const zelvara::correction::Asked &asked) {
                corrections.push_back(asked.dialog);
            });
    fill({{u"HeapOfP1For4"_s, u"2"_s}});
    click(u"Calculate"_s);
    QCOMPARE(results(4), (QStringList{u"-15"_s, u"+5"_s, u"+5"_s, u"+5"_s}));
    click(u"HideResults"_s);

    // An odd heap sum with a whist of 1 cannot be shared out whole: the player draws lots.
    type(u"HeapOfP1For4"_s, u"3"_s);
    click(u"ReturnResults"_s);
    click(u"Calculate"_s);
    QCOMPARE(corrections, std::vector{engine::CorrectionDialog::ChoiceOfPlayer});
    QCOMPARE(results(4), (QStringList{u"-15"_s, u"+5"_s, u"+5"_s, u"+5"_s}));
    QCOMPARE(colour(u"ResultOfP1For4"_s), Red);
    QCOMPARE(m_desktop.beeps, 0);

    // The same with the heap divided among three on four players asks for a confirmation instead.
    QTest::mouseClick(find<QRadioButton>(u"OnNPlayersMinus1"_s), Qt::LeftButton);
    fill({{u"HeapOfP1For4"_s, u"4"_s},
          {u"HeapOfP2For4"_s, u"2"_s},
          {u"HeapOfP3For4"_s, u"7"_s},
          {u"HeapOfP4For4"_s, u"10"_s}});
    click(u"Calculate"_s);
    QCOMPARE(corrections,
             (std::vector{engine::CorrectionDialog::ChoiceOfPlayer, engine::CorrectionDialog::ConfirmOfChange}));
    QCOMPARE(results(4), (QStringList{u"-15"_s, u"+5"_s, u"+5"_s, u"+5"_s}));
}

void MainWindowTest::calculate_laterGain_turnsRedResultNavy()
{
    fill({{u"HeapOfP1For4"_s, u"4"_s}});
    click(u"Calculate"_s);
    QCOMPARE(results(4).first(), u"-30"_s);
    QCOMPARE(colour(u"ResultOfP1For4"_s), Red);
    fill({{u"HeapOfP1For4"_s, u""_s}, {u"HeapOfP2For4"_s, u"4"_s}});
    click(u"Calculate"_s);
    QCOMPARE(results(4).first(), u"+10"_s);
    QCOMPARE(colour(u"ResultOfP1For4"_s), Navy);
}

void MainWindowTest::calculate_failedCheckOnTwoPlayers_turnsOldResultsNavy_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QColor>("afterFailure");
    QTest::newRow("two players turn navy at marking") << 2 << Navy;
    QTest::newRow("four players keep red") << 4 << Red;
    QTest::newRow("three players keep red") << 3 << Red;
}

void MainWindowTest::calculate_failedCheckOnTwoPlayers_turnsOldResultsNavy()
{
    QFETCH(int, players);
    QFETCH(QColor, afterFailure);
    selectPlayers(players);
    const QString suffix = u"For"_s + QString::number(players);
    fill({{u"HeapOfP1"_s + suffix, u"6"_s}});
    click(u"Calculate"_s);
    const QString first = u"ResultOfP1"_s + suffix;
    const QString loss = edit(first)->text();
    QVERIFY(loss.startsWith(u'-'));
    QCOMPARE(colour(first), Red);

    fill({{u"NameOfP2"_s + suffix, u""_s}});
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.messages, QStringList{u"Пожалуйста, укажите имена всех игроков."_s});
    QCOMPARE(edit(first)->text(), loss);
    QVERIFY(edit(first)->isVisible());
    QCOMPARE(colour(first), afterFailure);
}

void MainWindowTest::switch_toTwoPlayers_movesMinusOneToNondivisible()
{
    auto *minusOne = find<QRadioButton>(u"OnNPlayersMinus1"_s);
    auto *nondivisible = find<QRadioButton>(u"Nondivisible"_s);
    QTest::mouseClick(minusOne, Qt::LeftButton);
    QVERIFY(minusOne->isChecked());
    selectPlayers(2);
    QVERIFY(!minusOne->isEnabled());
    QVERIFY(nondivisible->isChecked());
    QCOMPARE(m_window->options().heapDivision, zelvara::engine::HeapDivision::Nondivisible);
    selectPlayers(4);
    QVERIFY(minusOne->isEnabled());
    QVERIFY(nondivisible->isChecked());
    QVERIFY(find<QWidget>(u"PanelFor4"_s)->isVisible());
    QVERIFY(!find<QWidget>(u"PanelFor2"_s)->isVisible());
}

void MainWindowTest::switch_keepsEachSheetsState()
{
    fill({{u"HeapOfP1For4"_s, u"4"_s}});
    click(u"Calculate"_s);

    // Shown on 4, a 3-player sheet never settled: nothing to hide there.
    selectPlayers(3);
    QVERIFY(hideOffered() && !hideEnabled() && !returnOffered());
    selectPlayers(4);
    QVERIFY(hideOffered() && hideEnabled() && !returnOffered());
    QVERIFY(edit(u"ResultOfP1For4"_s)->isVisible());

    // Hidden on 4 stays hidden across a visit to 2 players, and comes back as it was.
    click(u"HideResults"_s);
    QVERIFY(!hideOffered() && returnOffered());
    QVERIFY(find<QToolButton>(u"ReturnResults"_s)->isChecked());
    selectPlayers(2);
    QVERIFY(hideOffered() && !hideEnabled() && !returnOffered());
    selectPlayers(4);
    QVERIFY(!hideOffered() && returnOffered());
    click(u"ReturnResults"_s);
    QCOMPARE(results(4), (QStringList{u"-30"_s, u"+10"_s, u"+10"_s, u"+10"_s}));
    QVERIFY(edit(u"ResultOfP4For4"_s)->isVisible());
    QVERIFY(hideOffered() && hideEnabled() && !returnOffered());

    // A change of options leaves the shown results until the next settlement.
    QTest::mouseClick(find<QRadioButton>(u"Nondivisible"_s), Qt::LeftButton);
    QCOMPARE(results(4), (QStringList{u"-30"_s, u"+10"_s, u"+10"_s, u"+10"_s}));
}

void MainWindowTest::switch_afterFailedCheck_offersReturn()
{
    selectPlayers(3);
    fill({{u"PoolOfP1For3"_s, u"x"_s}});
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.beeps, 1);
    selectPlayers(4);
    selectPlayers(3);
    QVERIFY(returnOffered() && !hideOffered());
    click(u"ReturnResults"_s);
    QVERIFY(edit(u"ResultOfP1For3"_s)->isVisible());
    QCOMPARE(results(3), (QStringList{QString(), QString(), QString()}));
}

void MainWindowTest::newCalc_ctrlN_clearsOnlySelectedSheetsNumbers()
{
    selectPlayers(3);
    fill({{u"HeapOfP1For3"_s, u"9"_s}});
    selectPlayers(4);
    fill({{u"HeapOfP1For4"_s, u"4"_s},
          {u"PoolOfP2For4"_s, u"3"_s},
          {u"WhistsOfP4ToP1For4"_s, u"12"_s},
          {u"NameOfP1For4"_s, u"Петя"_s},
          {u"ValueOfWhistFor4"_s, u"2"_s}});
    click(u"Calculate"_s);
    QVERIFY(edit(u"ResultOfP1For4"_s)->isVisible());

    QTest::keyClick(m_window.get(), Qt::Key_N, Qt::ControlModifier);
    for (const QString &name : {u"HeapOfP1For4"_s, u"PoolOfP2For4"_s, u"WhistsOfP4ToP1For4"_s})
        QCOMPARE(edit(name)->text(), QString());
    QCOMPARE(edit(u"NameOfP1For4"_s)->text(), u"Петя"_s);
    QCOMPARE(edit(u"ValueOfWhistFor4"_s)->text(), u"2"_s);
    QCOMPARE(edit(u"HeapOfP1For3"_s)->text(), u"9"_s);
    QVERIFY(!edit(u"ResultOfP1For4"_s)->isVisible());
    QVERIFY(hideOffered() && !hideEnabled() && !returnOffered());
    // The flag went with it: away and back, there is nothing to return.
    selectPlayers(2);
    selectPlayers(4);
    QVERIFY(!returnOffered());
}

void MainWindowTest::nameFilter_refusesTooWideName()
{
    QLineEdit *name = edit(u"NameOfP1For4"_s);
    QCOMPARE(m_window->nameFieldInnerWidth(), 42);
    QCOMPARE(name->font().family(), m_window->nameFont().family());
    type(u"NameOfP1For4"_s, QString());
    const QFontMetrics metrics(name->font());
    // Fill with "Ш" while it fits under 41 pixels; the next one would reach it.
    QString expected;
    while (metrics.horizontalAdvance(expected + u"Ш"_s) < 41)
        expected += u"Ш"_s;
    for (qsizetype i = 0; i < expected.size() + 2; ++i)
        QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, u"Ш"_s, Qt::NoModifier);
    QCOMPARE(name->text(), expected);
    QCOMPARE(m_desktop.beeps, 2);

    // With all but the first letter selected the typed letter would replace them, but the check
    // measures it appended to the whole text, so it is refused.
    QTest::keyClick(name, Qt::Key_Home);
    QTest::keyClick(name, Qt::Key_Right);
    QTest::keyClick(name, Qt::Key_End, Qt::ShiftModifier);
    QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, u"Ш"_s, Qt::NoModifier);
    QCOMPARE(name->text(), expected);
    QCOMPARE(m_desktop.beeps, 3);

    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text(), expected.chopped(1));
    QCOMPARE(m_desktop.beeps, 3);
}

void MainWindowTest::nameFilter_holdsPastedAndComposedText()
{
    QLineEdit *name = edit(u"NameOfP1For4"_s);
    const QFontMetrics metrics(name->font());
    const auto fits = [&metrics](const QString &text) { return metrics.horizontalAdvance(text) < 41; };
    type(u"NameOfP1For4"_s, u"Ян"_s);
    QTest::keyClick(name, Qt::Key_Home);

    // Pasted before "Ян": as much of the start of the pasted text as leaves the name inside the field.
    const QString pasted = u"ШШШШШШШШШШ"_s;
    QString kept;
    while (fits(pasted.left(kept.size() + 1) + u"Ян"_s))
        kept = pasted.left(kept.size() + 1);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), kept + u"Ян"_s);
    QCOMPARE(name->cursorPosition(), kept.size());
    QCOMPARE(m_desktop.beeps, 1);

    // Text that fits goes in whole and quietly; an input method's text is held like a paste.
    type(u"NameOfP1For4"_s, QString());
    QGuiApplication::clipboard()->setText(u"Аня"_s);
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), u"Аня"_s);
    QCOMPARE(m_desktop.beeps, 1);
    QInputMethodEvent composed;
    composed.setCommitString(u"ЖЖЖЖЖЖЖЖ"_s);
    QApplication::sendEvent(name, &composed);
    QVERIFY(fits(name->text()));
    QVERIFY(name->text().startsWith(u"АняЖ"_s));
    QVERIFY(!fits(name->text() + u"Ж"_s));
    QCOMPARE(m_desktop.beeps, 2);

    // A name the program wrote wider than the field takes nothing more, and still lets the player delete.
    m_window->setFieldText(u"NameOfP1For4"_s, u"Константин"_s);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), u"Константин"_s);
    QCOMPARE(m_desktop.beeps, 3);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(name->text(), u"Константи"_s);
    QCOMPARE(m_desktop.beeps, 3);
}

void MainWindowTest::optionGroups_tabEntersAtTheCheckedButton()
{
    const auto tabFrom = [](const QString &from, QWidget *window) {
        window->findChild<QWidget *>(from)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget()->objectName();
    };
    // Checked by the program, as the settings do at start: the player has visited no option yet.
    m_window->setOptions(engine::GameType::Leningrad, engine::HeapDivision::Nondivisible);
    QCOMPARE(tabFrom(u"Players4"_s, m_window.get()), u"Leningrad"_s);
    QCOMPARE(tabFrom(u"Leningrad"_s, m_window.get()), u"Nondivisible"_s);

    // The player visits "На N игроков — 1" and checks it; the switch to two players moves the check.
    m_window->setOptions(engine::GameType::Leningrad, engine::HeapDivision::OnNPlayersMinus1);
    find<QWidget>(u"OnNPlayersMinus1"_s)->setFocus(Qt::TabFocusReason);
    selectPlayers(2);
    QCOMPARE(tabFrom(u"Leningrad"_s, m_window.get()), u"Nondivisible"_s);
    QCOMPARE(tabFrom(u"Players2"_s, m_window.get()), u"Leningrad"_s);
}

void MainWindowTest::captionedControls_announcedByTheirCaption()
{
    m_window->poolMenu()->addAction(u"&Сохранить пулю..."_s);
    QCOMPARE(zelvara::testing::captionMismatches(m_window.get()), QStringList());
    QCOMPARE(zelvara::testing::announcedName(find<QWidget>(u"Calculate"_s)), u"Рассчитать"_s);
}

void MainWindowTest::typingLimit_bindsTypingOnly()
{
    type(u"HeapOfP1For4"_s, u"1234567"_s);
    QCOMPARE(edit(u"HeapOfP1For4"_s)->text(), u"12345"_s);
    type(u"WhistsOfP1ToP2For4"_s, u"1234567"_s);
    QCOMPARE(edit(u"WhistsOfP1ToP2For4"_s)->text(), u"123456"_s);

    // A corrected heap written by the program stays whole, and settles as written.
    m_window->writeFields(4, {{zelvara::engine::FieldId{zelvara::engine::FieldKind::Heap, 2, 0}, "100000"}});
    QCOMPARE(m_window->fieldText(u"HeapOfP2For4"_s), u"100000"_s);
    QCOMPARE(m_window->sheetTexts(4).heaps[1], std::string("100000"));
    m_window->setFieldText(u"PoolOfP3For4"_s, u"-123456"_s);
    QCOMPARE(edit(u"PoolOfP3For4"_s)->text(), u"-123456"_s);

    // Once the player shortens it, the limit binds again.
    QLineEdit *heap = edit(u"HeapOfP2For4"_s);
    QTest::mouseClick(heap, Qt::LeftButton);
    QTest::keyClick(heap, Qt::Key_End);
    QTest::keyClick(heap, Qt::Key_Backspace);
    QTest::keyClick(heap, Qt::Key_9);
    QTest::keyClick(heap, Qt::Key_9);
    QCOMPARE(heap->text(), u"10000"_s);
}

void MainWindowTest::accessibleNames_followPlayerNames()
{
    QCOMPARE(edit(u"HeapOfP1For4"_s)->accessibleName(), u"Гора игрока Запад"_s);
    QCOMPARE(edit(u"PoolOfP1For4"_s)->accessibleName(), u"Пуля игрока Запад"_s);
    QCOMPARE(edit(u"NameOfP1For4"_s)->accessibleName(), u"Имя игрока 1"_s);
    QCOMPARE(edit(u"ResultOfP4For4"_s)->accessibleName(), u"Итог игрока Юг"_s);
    QCOMPARE(edit(u"WhistsOfP1ToP2For4"_s)->accessibleName(), u"Висты Запада на Севера"_s);
    // A name the program writes into a sheet not shown yet is there when the sheet first shows.
    m_window->setFieldText(u"NameOfP1For2"_s, u"Оля"_s);
    selectPlayers(2);
    QCOMPARE(edit(u"WhistsOfP2ToP1For2"_s)->accessibleName(), u"Висты Юга на игрока Оля"_s);
    selectPlayers(3);
    QCOMPARE(edit(u"ValueOfWhistFor3"_s)->accessibleName(), u"Цена виста"_s);

    selectPlayers(4);
    type(u"NameOfP2For4"_s, u"Петя"_s);
    QCOMPARE(edit(u"HeapOfP2For4"_s)->accessibleName(), u"Гора игрока Петя"_s);
    QCOMPARE(edit(u"WhistsOfP1ToP2For4"_s)->accessibleName(), u"Висты Запада на игрока Петя"_s);
    QCOMPARE(edit(u"WhistsOfP2ToP3For4"_s)->accessibleName(), u"Висты игрока Петя на Востока"_s);
    QCOMPARE(edit(u"HeapOfP2For3"_s)->accessibleName(), u"Гора игрока Восток"_s);
}

void MainWindowTest::reference_missingDocument_beepsAfterOpening()
{
    auto *reference = m_window->findChild<QAction *>(u"Reference"_s);
    const QString document = u"/opt/zelvara/Preference_rules.docx"_s;
    reference->trigger();
    QCOMPARE(m_desktop.opened, QStringList{document});
    QCOMPARE(m_desktop.events, (QStringList{u"open"_s, u"beep"_s, u"box"_s}));
    QCOMPARE(m_desktop.messages, QStringList{u"Файл Preference_rules.docx отсутствует в папке программы!"_s});

    m_desktop.clear();
    m_desktop.existing.insert(document);
    reference->trigger();
    QCOMPARE(m_desktop.events, QStringList{u"open"_s});
}

void MainWindowTest::bringToFront_restoresMinimisedWindow()
{
    type(u"HeapOfP1For4"_s, u"7"_s);
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    m_window->bringToFront();
    QVERIFY(!m_window->isMinimized());
    QVERIFY(m_window->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // The running copy comes back as it was left.
    QCOMPARE(edit(u"HeapOfP1For4"_s)->text(), u"7"_s);
}

void MainWindowTest::shownSettlement_followsResultsOnScreen()
{
    QSignalSpy changed(m_window.get(), &TZelvara::shownSettlementChanged);
    QVERIFY(!m_window->shownSettlement());
    fill({{u"HeapOfP1For4"_s, u"20"_s}, {u"PoolOfP1For4"_s, u"10"_s}});
    click(u"Calculate"_s);
    const zelvara::correction::SettledSheet *settled = m_window->shownSettlement();
    QVERIFY(settled && !settled->record.answer && !settled->shown.dialog);
    QCOMPARE(settled->record.sheet.heaps[0], std::string("20"));
    // Typing after the settlement does not change what explains the numbers on the screen.
    type(u"HeapOfP1For4"_s, u"24"_s);
    QCOMPARE(m_window->shownSettlement()->record.sheet.heaps[0], std::string("20"));

    click(u"HideResults"_s);
    QVERIFY(!m_window->shownSettlement());
    click(u"ReturnResults"_s);
    QVERIFY(m_window->shownSettlement());
    selectPlayers(3);
    QVERIFY(!m_window->shownSettlement());
    selectPlayers(4);
    QVERIFY(m_window->shownSettlement());
    // A failed "Рассчитать" leaves the results on the screen, and with them what explains them.
    type(u"PoolOfP2For4"_s, u"x"_s);
    m_desktop.clear();
    click(u"Calculate"_s);
    QCOMPARE(m_desktop.messages.size(), 1);
    QVERIFY(edit(u"ResultOfP1For4"_s)->isVisible());
    QCOMPARE(m_window->shownSettlement()->record.sheet.heaps[0], std::string("20"));
    click(u"NewCalc"_s);
    QVERIFY(!m_window->shownSettlement());
    QVERIFY(changed.count() >= 6);
}

void MainWindowTest::loadSheet_replacesOnlyThatSheet()
{
    fill({{u"HeapOfP1For4"_s, u"20"_s}});
    click(u"Calculate"_s);
    engine::SheetTexts texts = engine::SheetTexts::withDesignTexts(3);
    texts.names[0] = "Длинноеимяигрока";
    texts.heaps[1] = "12";
    texts.whists[2][0] = "7";
    texts.whistValue = "0,5";
    m_window->loadSheet(texts, {engine::GameType::Leningrad, engine::HeapDivision::OnNPlayersMinus1});

    QVERIFY(find<QRadioButton>(u"Players3"_s)->isChecked());
    QVERIFY(find<QRadioButton>(u"Leningrad"_s)->isChecked());
    QVERIFY(find<QRadioButton>(u"OnNPlayersMinus1"_s)->isChecked());
    QCOMPARE(edit(u"NameOfP1For3"_s)->text(), u"Длинноеимяигрока"_s);
    QCOMPARE(edit(u"HeapOfP2For3"_s)->text(), u"12"_s);
    QCOMPARE(edit(u"WhistsOfP3ToP1For3"_s)->text(), u"7"_s);
    QCOMPARE(edit(u"ValueOfWhistFor3"_s)->text(), u"0,5"_s);
    QVERIFY(!hideEnabled() && !returnOffered());
    // The four-player sheet keeps its numbers and its shown results.
    selectPlayers(4);
    QCOMPARE(edit(u"HeapOfP1For4"_s)->text(), u"20"_s);
    QVERIFY(edit(u"ResultOfP1For4"_s)->isVisible());
}

void MainWindowTest::everyWindow_showsTextsAsWritten()
{
    // Names, notes, paths and keys from files reach labels and captions: none of them may be taken for
    // HTML, which would load the pictures it names and draw its links.
    zelvara::app::TAboutProgram about(m_window.get());
    zelvara::app::PaymentsWindow payments(m_window.get());
    zelvara::app::BreakdownWindow breakdown(m_window.get());
    zelvara::correction::TChoiceOfPlayer choiceOfPlayer;
    zelvara::correction::TConfirmOfChange confirmOfChange;
    const QList<QWidget *> windows{m_window.get(), &about, &payments, &breakdown, &choiceOfPlayer, &confirmOfChange};
    QStringList guessed;
    for (QWidget *window : windows) {
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (label->textFormat() != Qt::PlainText)
                guessed << QString::fromLatin1(window->metaObject()->className()) + u"::"_s + label->objectName();
        }
        for (const QWidget *widget : window->findChildren<QWidget *>()) {
            if (Qt::mightBeRichText(widget->toolTip()))
                guessed << QString::fromLatin1(window->metaObject()->className()) + u"::"_s + widget->objectName() +
                               u" tooltip"_s;
        }
    }
    QCOMPARE(guessed, QStringList());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
