// SPDX-License-Identifier: GPL-3.0-or-later
// The correction dialogs as a player meets them: a sheet typed into the real main window, "Рассчитать",
// the dialog answered with the keyboard or the mouse, and the sheet and results read back.

#include "app/correction_controller.h"
#include "app/main_window.h"
#include "correction/dialogs/choice_of_player_dialog.h"
#include "correction/dialogs/confirm_of_change_dialog.h"
#include "tests/support/announced_captions.h"
#include "tests/support/recording_desktop.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest/QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using zelvara::engine::GameType;
using zelvara::engine::HeapDivision;

namespace {

// "HeapOfP1For4=1 PoolOfP2For4=2": field names with their texts.
QMap<QString, QString> assignments(const QString &text)
{
    QMap<QString, QString> fields;
    for (const QString &pair : text.split(u' ', Qt::SkipEmptyParts)) {
        fields.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    }
    return fields;
}

enum class Answer { Ok, Cancel };

// The drawn player of a lot row; confirmed-correction rows draw nobody.
constexpr int Confirmed = 0;

} // namespace

Q_DECLARE_METATYPE(GameType)
Q_DECLARE_METATYPE(HeapDivision)
Q_DECLARE_METATYPE(Answer)

class CorrectionDialogsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<zelvara::testing::RecordingDesktop> m_desktop;
    std::unique_ptr<zelvara::app::TZelvara> m_window;
    std::unique_ptr<zelvara::correction::TChoiceOfPlayer> m_choice;
    std::unique_ptr<zelvara::correction::TConfirmOfChange> m_confirm;
    std::unique_ptr<zelvara::app::CorrectionController> m_controller;

    template <typename T = QWidget> T *control(QWidget *window, const QString &name)
    {
        T *found = window->findChild<T *>(name);
        if (found == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return found;
    }

    // Every typed field of a sheet, results aside.
    QMap<QString, QString> sheetFields(int players)
    {
        QMap<QString, QString> fields;
        for (const QLineEdit *edit : m_window->findChildren<QLineEdit *>()) {
            const QString name = edit->objectName();
            if (name.endsWith(u"For"_s + QString::number(players)) && !name.startsWith(u"Result"_s)) {
                fields.insert(name, edit->text());
            }
        }
        return fields;
    }

    void calculate(int players, GameType gameType, HeapDivision division, const QString &fields)
    {
        m_window->selectPlayers(players);
        m_window->setOptions(gameType, division);
        const auto typed = assignments(fields);
        for (auto it = typed.begin(); it != typed.end(); ++it) {
            m_window->setFieldText(it.key(), it.value());
        }
        QTest::mouseClick(control<QPushButton>(m_window.get(), u"Calculate"_s), Qt::LeftButton);
    }

    // The dialog is up and active, and the main window takes no input.
    void expectOpen(QWidget *dialog)
    {
        QVERIFY(dialog->isVisible());
        QVERIFY(!m_window->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(dialog));
    }

    void answer(QWidget *dialog, Answer how)
    {
        if (how == Answer::Cancel) {
            QTest::mouseClick(control<QPushButton>(dialog, u"Cancel"_s), Qt::LeftButton);
            return;
        }
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr && focus->window() == dialog ? focus : dialog, Qt::Key_Return);
    }

    // "-7* +4 +3": the shown texts, a star marking a result in red; the result buttons as for shown results.
    void expectResults(int players, const QString &expected)
    {
        const QStringList texts = expected.split(u' ');
        for (int i = 1; i <= players; ++i) {
            const QString text = texts.at(i - 1);
            auto *field = control<QLineEdit>(m_window.get(), u"ResultOfP%1For%2"_s.arg(i).arg(players));
            QCOMPARE(field->text(), QString(text).remove(u'*'));
            QCOMPARE(field->palette().color(QPalette::Text),
                     text.endsWith(u'*') ? QColor(255, 0, 0) : QColor(0, 0, 128));
            QVERIFY(field->isVisible());
        }
        auto *hide = control(m_window.get(), u"HideResults"_s);
        QVERIFY(hide->isVisible() && hide->isEnabled());
        QVERIFY(!control(m_window.get(), u"ReturnResults"_s)->isVisible());
    }

    QString proposal()
    {
        return control<QLabel>(m_confirm.get(), u"StaticText3"_s)->text() + u'|' +
               control<QLabel>(m_confirm.get(), u"StaticText4"_s)->text();
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        m_desktop = std::make_unique<zelvara::testing::RecordingDesktop>();
        m_desktop->folder = m_folder->path();
        m_window = std::make_unique<zelvara::app::TZelvara>(*m_desktop);
        m_choice = std::make_unique<zelvara::correction::TChoiceOfPlayer>();
        m_confirm = std::make_unique<zelvara::correction::TConfirmOfChange>();
        m_controller =
            std::make_unique<zelvara::app::CorrectionController>(*m_window, *m_choice, *m_confirm, *m_desktop);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_controller.reset();
        m_confirm.reset();
        m_choice.reset();
        m_window.reset();
        QVERIFY2(m_desktop->messages.isEmpty(), qPrintable(m_desktop->messages.join(u" | "_s)));
    }

    void answeredDialog_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<GameType>("gameType");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("drawn");
        QTest::addColumn<QString>("proposal");
        QTest::addColumn<Answer>("how");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("results");

        const auto lot = [](const char *name, int players, const QString &sheet, int drawn, Answer how,
                            const QString &changed, const QString &results) {
            QTest::newRow(name) << players << GameType::Sochi << sheet << drawn << QString() << how << changed
                                << results;
        };
        lot("lot, 3 players, drawn player loses a point", 3, u"HeapOfP1For3=1"_s, 2, Answer::Ok,
            u"HeapOfP2For3=-1 WhistsOfP1ToP2For3=3 WhistsOfP3ToP2For3=3"_s, u"-7* +4 +3"_s);
        lot("lot, 3 players, declined and rounded", 3, u"HeapOfP1For3=1"_s, 2, Answer::Cancel, QString(),
            u"-6,67* +3,33 +3,33"_s);
        lot("lot, 3 players, direction from the shifted heaps", 3, u"PoolOfP1For3=2"_s, 1, Answer::Ok,
            u"HeapOfP1For3=-1 WhistsOfP2ToP1For3=3 WhistsOfP3ToP1For3=3"_s, u"+14 -7* -7*"_s);
        lot("lot, 3 players, a share rounding to zero keeps its sign", 3,
            u"HeapOfP1For3=1 WhistsOfP1ToP2For3=3 ValueOfWhistFor3=0,01"_s, 1, Answer::Cancel, QString(),
            u"-0,04* +0 +0,03"_s);
        lot("lot, 4 players, drawn player gains a point", 4, u"HeapOfP1For4=1"_s, 3, Answer::Ok,
            u"HeapOfP3For4=1 WhistsOfP3ToP1For4=3 WhistsOfP3ToP2For4=3 WhistsOfP3ToP4For4=3"_s, u"-8* +2 +4 +2"_s);
        lot("lot, 4 players, declined, nothing past hundredths", 4, u"HeapOfP1For4=1"_s, 3, Answer::Cancel, QString(),
            u"-7,5* +2,5 +2,5 +2,5"_s);
        lot("lot, 4 players, declined, every share past hundredths", 4, u"HeapOfP1For4=1 ValueOfWhistFor4=0,01"_s, 1,
            Answer::Cancel, QString(), u"-0,08* +0,03 +0,03 +0,03"_s);
        lot("lot, 4 players, a heap written past the typing limit", 4, u"HeapOfP1For4=99999"_s, 1, Answer::Ok,
            u"HeapOfP1For4=100000 WhistsOfP1ToP2For4=3 WhistsOfP1ToP3For4=3 WhistsOfP1ToP4For4=3"_s,
            u"-749991* +249997 +249997 +249997"_s);

        const auto confirmed = [](const char *name, GameType gameType, const QString &sheet, const QString &proposal,
                                  const QString &changed, const QString &accepted, const QString &declined) {
            QTest::addRow("confirmed, %s, accepted", name)
                << 4 << gameType << sheet << Confirmed << proposal << Answer::Ok << changed << accepted;
            QTest::addRow("confirmed, %s, declined", name)
                << 4 << gameType << sheet << Confirmed << proposal << Answer::Cancel << QString() << declined;
        };
        confirmed("one heap a point over", GameType::Sochi, u"HeapOfP1For4=1"_s,
                  u"списать 1 очко с горы игрока Запад.|"_s,
                  u"HeapOfP1For4=0 HeapOfP2For4=0 HeapOfP3For4=0 HeapOfP4For4=0 WhistsOfP2ToP1For4=3 "
                  "WhistsOfP3ToP1For4=3 WhistsOfP4ToP1For4=3"_s,
                  u"-9* +3 +3 +3"_s, u"-10* +3,33 +3,33 +3,33"_s);
        confirmed("one heap off the common residue", GameType::Sochi,
                  u"HeapOfP1For4=4 HeapOfP2For4=2 HeapOfP3For4=7 HeapOfP4For4=10"_s,
                  u"списать 1 очко с горы игрока Север.|"_s,
                  u"HeapOfP2For4=1 WhistsOfP1ToP2For4=3 WhistsOfP3ToP2For4=3 WhistsOfP4ToP2For4=3"_s,
                  u"+23 +51 -17* -57*"_s, u"+23,33 +50 -16,67* -56,67*"_s);
        confirmed("one heap up and another down", GameType::Sochi,
                  u"HeapOfP1For4=5 HeapOfP2For4=7 HeapOfP3For4=9 HeapOfP4For4=12"_s,
                  u"добавить 1 очко в гору игрока Запад и списать 1 очко с горы игрока|Север."_s,
                  u"HeapOfP1For4=6 HeapOfP2For4=6 WhistsOfP1ToP2For4=6 WhistsOfP1ToP3For4=3 WhistsOfP1ToP4For4=3 "
                  "WhistsOfP3ToP2For4=3 WhistsOfP4ToP2For4=3"_s,
                  u"+42 +18 -10* -50*"_s, u"+43,33 +16,67 -10* -50*"_s);
        confirmed("three heaps alike, the fourth gains", GameType::Sochi,
                  u"HeapOfP1For4=1 HeapOfP2For4=1 HeapOfP3For4=1"_s, u"добавить 1 очко в гору игрока Юг.|"_s,
                  u"HeapOfP4For4=1 WhistsOfP4ToP1For4=3 WhistsOfP4ToP2For4=3 WhistsOfP4ToP3For4=3"_s,
                  u"-3* -3* -3* +9"_s, u"-3,33* -3,33* -3,33* +10"_s);
        confirmed("residues after the shift, a tie going to zero", GameType::Sochi, u"PoolOfP1For4=2 PoolOfP2For4=2"_s,
                  u"добавить 1 очко в гору игроков: Восток, Юг.|"_s,
                  u"HeapOfP1For4=0 HeapOfP2For4=0 HeapOfP3For4=1 HeapOfP4For4=1 WhistsOfP3ToP1For4=3 "
                  "WhistsOfP3ToP2For4=3 WhistsOfP3ToP4For4=3 WhistsOfP4ToP1For4=3 WhistsOfP4ToP2For4=3 "
                  "WhistsOfP4ToP3For4=3"_s,
                  u"+14 +14 -14* -14*"_s, u"+13,33 +13,33 -13,33* -13,33*"_s);
        confirmed("Leningrad pools count twice", GameType::Leningrad, u"PoolOfP1For4=1"_s,
                  u"списать 1 очко с горы игрока Запад.|"_s,
                  u"HeapOfP1For4=-1 HeapOfP2For4=0 HeapOfP3For4=0 HeapOfP4For4=0 WhistsOfP2ToP1For4=3 "
                  "WhistsOfP3ToP1For4=3 WhistsOfP4ToP1For4=3"_s,
                  u"+21 -7* -7* -7*"_s, u"+20 -6,67* -6,67* -6,67*"_s);
    }

    void answeredDialog()
    {
        QFETCH(int, players);
        QFETCH(GameType, gameType);
        QFETCH(QString, sheet);
        QFETCH(int, drawn);
        QFETCH(QString, proposal);
        QFETCH(Answer, how);
        QFETCH(QString, changed);
        QFETCH(QString, results);

        const bool lot = drawn != Confirmed;
        QWidget *dialog = lot ? static_cast<QWidget *>(m_choice.get()) : m_confirm.get();
        QWidget *other = lot ? static_cast<QWidget *>(m_confirm.get()) : m_choice.get();
        const HeapDivision division = lot ? HeapDivision::OnNPlayers : HeapDivision::OnNPlayersMinus1;

        QMap<QString, QString> expected = sheetFields(players);
        expected.insert(assignments(sheet));
        expected.insert(assignments(changed));

        calculate(players, gameType, division, sheet);
        expectOpen(dialog);
        QVERIFY(!other->isVisible());
        if (lot) {
            QTest::mouseClick(control(m_choice.get(), u"Player%1"_s.arg(drawn)), Qt::LeftButton);
        } else {
            QCOMPARE(this->proposal(), proposal);
        }
        answer(dialog, how);

        QVERIFY(!dialog->isVisible());
        QVERIFY(m_window->isEnabled());
        const QMap<QString, QString> after = sheetFields(players);
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QVERIFY2(after.value(it.key()) == it.value(),
                     qPrintable(it.key() + u": "_s + after.value(it.key()) + u" instead of "_s + it.value()));
        }
        expectResults(players, results);

        // The corrected sheet divides evenly: settling it again opens nothing and shows the same.
        if (how == Answer::Ok) {
            QTest::mouseClick(control<QPushButton>(m_window.get(), u"Calculate"_s), Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
            QVERIFY(m_window->isEnabled());
            expectResults(players, results);
        }
    }

    void confirmedCorrection_activatedAgainProposesTheSameAndAppliesItOnce()
    {
        calculate(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1, u"HeapOfP1For4=1"_s);
        expectOpen(m_confirm.get());
        m_confirm->setProposal(QString(), u"stale"_s);
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(m_confirm.get(), &activation);
        QCOMPARE(proposal(), u"списать 1 очко с горы игрока Запад.|"_s);

        answer(m_confirm.get(), Answer::Ok);
        QCOMPARE(m_window->fieldText(u"HeapOfP1For4"_s), u"0"_s);
        QCOMPARE(m_window->fieldText(u"WhistsOfP2ToP1For4"_s), u"3"_s);
        expectResults(4, u"-9* +3 +3 +3"_s);
    }

    void confirmedCorrection_nextOpeningKeepsNothingOfTheLast()
    {
        // Two corrections proposed and declined; the next sheet needs one only.
        calculate(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1,
                  u"HeapOfP1For4=5 HeapOfP2For4=7 HeapOfP3For4=9 HeapOfP4For4=12"_s);
        expectOpen(m_confirm.get());
        answer(m_confirm.get(), Answer::Cancel);

        calculate(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1,
                  u"HeapOfP1For4=1 HeapOfP2For4=1 HeapOfP3For4=1 HeapOfP4For4=0"_s);
        expectOpen(m_confirm.get());
        QCOMPARE(proposal(), u"добавить 1 очко в гору игрока Юг.|"_s);
        answer(m_confirm.get(), Answer::Ok);
        QCOMPARE(m_window->fieldText(u"HeapOfP1For4"_s), u"1"_s);
        QCOMPARE(m_window->fieldText(u"HeapOfP2For4"_s), u"1"_s);
        QCOMPARE(m_window->fieldText(u"WhistsOfP1ToP2For4"_s), QString());
        expectResults(4, u"-3* -3* -3* +9"_s);
    }

    void lotCorrection_everyOpeningStartsFromTheSheetInUse()
    {
        calculate(3, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For3=1 NameOfP2For3=Ann"_s);
        expectOpen(m_choice.get());
        auto *group = control<QGroupBox>(m_choice.get(), u"ChooseAPlayer"_s);
        auto *player1 = control<QRadioButton>(m_choice.get(), u"Player1"_s);
        auto *player2 = control<QRadioButton>(m_choice.get(), u"Player2"_s);
        auto *player4 = control<QRadioButton>(m_choice.get(), u"Player4"_s);
        QVERIFY(player1->isChecked());
        QCOMPARE(player2->text(), u"Ann"_s);
        QCOMPARE(zelvara::testing::captionMismatches(m_choice.get()), QStringList());
        QVERIFY(!player4->isVisible());
        QCOMPARE(group->height(), 129);
        QVERIFY(group->font().bold() && !player1->font().bold());

        // Player 3 chosen, then declined: the next opening starts again from player 1.
        QTest::mouseClick(control(m_choice.get(), u"Player3"_s), Qt::LeftButton);
        answer(m_choice.get(), Answer::Cancel);

        calculate(4, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For4=1"_s);
        expectOpen(m_choice.get());
        QVERIFY(player1->isChecked());
        // Tab from the buttons enters the players at the checked one, not at the one visited last time.
        QApplication::setActiveWindow(m_choice.get());
        control(m_choice.get(), u"Cancel"_s)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control(m_choice.get(), u"Cancel"_s), Qt::Key_Tab);
        QVERIFY(player1->hasFocus());
        QVERIFY(player4->isVisible());
        QCOMPARE(player4->text(), u"Юг"_s);
        QCOMPARE(player2->text(), u"Север"_s);
        QCOMPARE(group->height(), 161);
    }

    void lotCorrection_returnToTheOpenDialogKeepsThePlayersMark()
    {
        calculate(4, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For4=1"_s);
        expectOpen(m_choice.get());
        QTest::mouseClick(control(m_choice.get(), u"Player3"_s), Qt::LeftButton);

        // Back from another program, then a click on the disabled main window, which brings the dialog
        // forward again: the dialog is activated twice more, and the mark stays on player 3.
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(m_choice.get(), &activation);
        QApplication::sendEvent(m_window.get(), &activation);
        QVERIFY(QTest::qWaitForWindowActive(m_choice.get()));
        QVERIFY(control<QRadioButton>(m_choice.get(), u"Player3"_s)->isChecked());

        answer(m_choice.get(), Answer::Ok);
        QCOMPARE(m_window->fieldText(u"HeapOfP3For4"_s), u"1"_s);
        QCOMPARE(m_window->fieldText(u"HeapOfP1For4"_s), u"1"_s);
        expectResults(4, u"-8* +2 +4 +2"_s);
    }

    void dialogs_announceWhatTheyShow()
    {
        calculate(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1, u"HeapOfP1For4=1"_s);
        expectOpen(m_confirm.get());
        QCOMPARE(zelvara::testing::captionMismatches(m_confirm.get()), QStringList());
        answer(m_confirm.get(), Answer::Cancel);
    }

    void dialogs_endOnlyThroughTheirButtons_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<HeapDivision>("division");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("lot");
        QTest::newRow("correction by lot") << 3 << HeapDivision::OnNPlayers << u"HeapOfP1For3=1"_s << true;
        QTest::newRow("confirmed correction") << 4 << HeapDivision::OnNPlayersMinus1 << u"HeapOfP1For4=1"_s << false;
    }

    void dialogs_endOnlyThroughTheirButtons()
    {
        QFETCH(int, players);
        QFETCH(HeapDivision, division);
        QFETCH(QString, sheet);
        QFETCH(bool, lot);
        QWidget *dialog = lot ? static_cast<QWidget *>(m_choice.get()) : m_confirm.get();

        calculate(players, GameType::Sochi, division, sheet);
        expectOpen(dialog);
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(control<QPushButton>(dialog, u"OK"_s)->isDefault());

        // The window system's close request (Alt+F4) arrives the way this one does.
        QVERIFY(!dialog->windowHandle()->close());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QVERIFY(!m_window->isEnabled());

        // Bringing the disabled main window forward brings the dialog back, even from the task bar.
        dialog->showMinimized();
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(m_window.get(), &activation);
        QVERIFY(!dialog->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(dialog));

        answer(dialog, Answer::Cancel);
        QVERIFY(m_window->isEnabled());
    }

    void results_followTheRegionalSeparator()
    {
        m_desktop->separator = '.';
        calculate(3, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For3=1"_s);
        expectOpen(m_choice.get());
        answer(m_choice.get(), Answer::Cancel);
        expectResults(3, u"-6.67* +3.33 +3.33"_s);
    }

    // Last: it runs the event loop to its end.
    void closingTheMainWindow_endsTheRunWhileADialogIsOpen()
    {
        calculate(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1, u"HeapOfP1For4=1"_s);
        expectOpen(m_confirm.get());
        QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
    }
};

QTEST_MAIN(CorrectionDialogsTest)
#include "correction_dialogs_test.moc"
