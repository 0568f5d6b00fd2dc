// SPDX-License-Identifier: GPL-3.0-or-later
// The correction dialogs as a player meets them: a sheet typed into the real main window, "Рассчитать",
// the dialog answered with the keyboard or the mouse, and the sheet and results read back.

#include "app/correction_controller.h"
#include "app/main_window.h"
#include "correction/choice_of_player_dialog.h"
#include "correction/confirm_of_change_dialog.h"
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

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

// "HeapOfP1For4=1 PoolOfP2For4=2" as field names and texts.
QMap<QString, QString> assignments(const QString &text)
{
    QMap<QString, QString> fields;
    for (const QString &pair : text.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(u'=');
        fields.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return fields;
}

enum class Answer { Ok, Cancel };

} // namespace

Q_DECLARE_METATYPE(GameType)
Q_DECLARE_METATYPE(HeapDivision)
Q_DECLARE_METATYPE(Answer)

class CorrectionDialogsTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<zelvara::testing::RecordingDesktop> m_desktop;
    std::unique_ptr<zelvara::app::TZelvara> m_window;
    std::unique_ptr<zelvara::correction::TChoiceOfPlayer> m_choice;
    std::unique_ptr<zelvara::correction::TConfirmOfChange> m_confirm;
    std::unique_ptr<zelvara::app::CorrectionController> m_controller;

    template <typename T> T *control(QWidget *window, const QString &name)
    {
        T *found = window->findChild<T *>(name);
        if (found == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return found;
    }

    QLineEdit *result(int players, int player)
    {
        return control<QLineEdit>(m_window.get(), u"ResultOfP%1For%2"_s.arg(player).arg(players));
    }

    // Every typed field of a sheet (results aside), by name.
    QMap<QString, QString> sheetFields(int players)
    {
        QMap<QString, QString> fields;
        const QString suffix = u"For"_s + QString::number(players);
        for (const QLineEdit *edit : m_window->findChildren<QLineEdit *>()) {
            if (edit->objectName().endsWith(suffix) && !edit->objectName().startsWith(u"Result"_s)) {
                fields.insert(edit->objectName(), edit->text());
            }
        }
        return fields;
    }

    void prepareSheet(int players, GameType gameType, HeapDivision division, const QString &fields)
    {
        m_window->selectPlayers(players);
        m_window->setOptions(gameType, division);
        const auto typed = assignments(fields);
        for (auto it = typed.begin(); it != typed.end(); ++it) {
            m_window->setFieldText(it.key(), it.value());
        }
    }

    void calculate() { QTest::mouseClick(control<QPushButton>(m_window.get(), u"Calculate"_s), Qt::LeftButton); }

    // The dialog is up, active and alone in taking input.
    void expectOpen(QWidget *dialog)
    {
        QVERIFY(dialog->isVisible());
        QVERIFY(!m_window->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(dialog));
    }

    void pressEnter(QWidget *dialog)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr && focus->window() == dialog ? focus : dialog, Qt::Key_Return);
    }

    void answer(QWidget *dialog, Answer how)
    {
        if (how == Answer::Ok) {
            pressEnter(dialog);
        } else {
            QTest::mouseClick(control<QPushButton>(dialog, u"Cancel"_s), Qt::LeftButton);
        }
    }

    // The results on screen, their colours, and the buttons of shown results.
    void expectResults(int players, const QString &texts, const QString &colours)
    {
        const QStringList expectedTexts = texts.split(u' ');
        const QStringList expectedColours = colours.split(u' ');
        for (int i = 1; i <= players; ++i) {
            QLineEdit *field = result(players, i);
            const auto index = static_cast<qsizetype>(i - 1);
            QCOMPARE(field->text(), expectedTexts.at(index));
            QCOMPARE(field->palette().color(QPalette::Text), expectedColours.at(index) == u"red"_s ? Red : Navy);
            QVERIFY(field->isVisible());
        }
        auto *hide = control<QPushButton>(m_window.get(), u"HideResults"_s);
        QVERIFY(hide->isVisible() && hide->isEnabled());
        QVERIFY(!control<QWidget>(m_window.get(), u"ReturnResults"_s)->isVisible());
    }

    QString proposalLine(int line)
    {
        return control<QLabel>(m_confirm.get(), line == 1 ? u"StaticText3"_s : u"StaticText4"_s)->text();
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
        m_desktop.reset();
        m_folder.reset();
    }

    void lotCorrection_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("drawn");
        QTest::addColumn<Answer>("how");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("colours");

        const QString three = u"HeapOfP1For3=1"_s;
        QTest::newRow("3 players, odd heap, drawn player loses a point")
            << 3 << three << 2 << Answer::Ok << u"HeapOfP2For3=-1 WhistsOfP1ToP2For3=3 WhistsOfP3ToP2For3=3"_s
            << u"-7 +4 +3"_s << u"red navy navy"_s;
        QTest::newRow("3 players, odd heap, declined and rounded")
            << 3 << three << 2 << Answer::Cancel << QString() << u"-6,67 +3,33 +3,33"_s << u"red navy navy"_s;
        QTest::newRow("3 players, negative adjusted heap picks the direction from the shifted sum")
            << 3 << u"PoolOfP1For3=2"_s << 1 << Answer::Ok
            << u"HeapOfP1For3=-1 WhistsOfP2ToP1For3=3 WhistsOfP3ToP1For3=3"_s << u"+14 -7 -7"_s << u"navy red red"_s;
        QTest::newRow("3 players, declined, a share rounding to zero keeps its sign")
            << 3 << u"HeapOfP1For3=1 WhistsOfP1ToP2For3=3 ValueOfWhistFor3=0,01"_s << 1 << Answer::Cancel << QString()
            << u"-0,04 +0 +0,03"_s << u"red navy navy"_s;

        const QString four = u"HeapOfP1For4=1"_s;
        QTest::newRow("4 players, odd heap, drawn player gains a point")
            << 4 << four << 3 << Answer::Ok
            << u"HeapOfP3For4=1 WhistsOfP3ToP1For4=3 WhistsOfP3ToP2For4=3 WhistsOfP3ToP4For4=3"_s << u"-8 +2 +4 +2"_s
            << u"red navy navy navy"_s;
        QTest::newRow("4 players, declined, nothing beyond hundredths")
            << 4 << four << 3 << Answer::Cancel << QString() << u"-7,5 +2,5 +2,5 +2,5"_s << u"red navy navy navy"_s;
        QTest::newRow("4 players, declined, every share with a third decimal")
            << 4 << u"HeapOfP1For4=1 ValueOfWhistFor4=0,01"_s << 1 << Answer::Cancel << QString()
            << u"-0,08 +0,03 +0,03 +0,03"_s << u"red navy navy navy"_s;
        QTest::newRow("4 players, a corrected heap longer than the typing limit")
            << 4 << u"HeapOfP1For4=99999"_s << 1 << Answer::Ok
            << u"HeapOfP1For4=100000 WhistsOfP1ToP2For4=3 WhistsOfP1ToP3For4=3 WhistsOfP1ToP4For4=3"_s
            << u"-749991 +249997 +249997 +249997"_s << u"red navy navy navy"_s;
    }

    void lotCorrection()
    {
        QFETCH(int, players);
        QFETCH(QString, sheet);
        QFETCH(int, drawn);
        QFETCH(Answer, how);
        QFETCH(QString, changed);
        QFETCH(QString, results);
        QFETCH(QString, colours);

        prepareSheet(players, GameType::Sochi, HeapDivision::OnNPlayers, sheet);
        QMap<QString, QString> expected = sheetFields(players);
        const auto writes = assignments(changed);
        for (auto it = writes.begin(); it != writes.end(); ++it) {
            expected.insert(it.key(), it.value());
        }

        calculate();
        expectOpen(m_choice.get());
        QVERIFY(!m_confirm->isVisible());
        QTest::mouseClick(control<QRadioButton>(m_choice.get(), u"Player%1"_s.arg(drawn)), Qt::LeftButton);
        answer(m_choice.get(), how);

        QVERIFY(!m_choice->isVisible());
        QVERIFY(m_window->isEnabled());
        const QMap<QString, QString> after = sheetFields(players);
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QVERIFY2(after.value(it.key()) == it.value(),
                     qPrintable(it.key() + u": "_s + after.value(it.key()) + u" instead of "_s + it.value()));
        }
        expectResults(players, results, colours);

        // The corrected sheet divides evenly: settling it again needs no dialog and shows the same.
        if (how == Answer::Ok) {
            calculate();
            QVERIFY(!m_choice->isVisible());
            QVERIFY(m_window->isEnabled());
            expectResults(players, results, colours);
        }
    }

    void confirmedCorrection_data()
    {
        QTest::addColumn<GameType>("gameType");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<Answer>("how");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QString>("colours");

        const auto both = [](const char *name, GameType gameType, const QString &sheet, const QString &line1,
                             const QString &line2, const QString &changed, const QString &okResults,
                             const QString &okColours, const QString &cancelResults, const QString &cancelColours) {
            QTest::addRow("%s, accepted", name)
                << gameType << sheet << line1 << line2 << Answer::Ok << changed << okResults << okColours;
            QTest::addRow("%s, declined", name)
                << gameType << sheet << line1 << line2 << Answer::Cancel << QString() << cancelResults << cancelColours;
        };

        both("one heap a point over", GameType::Sochi, u"HeapOfP1For4=1"_s, u"списать 1 очко с горы игрока Запад."_s,
             QString(),
             u"HeapOfP1For4=0 HeapOfP2For4=0 HeapOfP3For4=0 HeapOfP4For4=0 "
             "WhistsOfP2ToP1For4=3 WhistsOfP3ToP1For4=3 WhistsOfP4ToP1For4=3"_s,
             u"-9 +3 +3 +3"_s, u"red navy navy navy"_s, u"-10 +3,33 +3,33 +3,33"_s, u"red navy navy navy"_s);
        both("one heap off the common residue", GameType::Sochi,
             u"HeapOfP1For4=4 HeapOfP2For4=2 HeapOfP3For4=7 HeapOfP4For4=10"_s,
             u"списать 1 очко с горы игрока Север."_s, QString(),
             u"HeapOfP2For4=1 WhistsOfP1ToP2For4=3 WhistsOfP3ToP2For4=3 WhistsOfP4ToP2For4=3"_s, u"+23 +51 -17 -57"_s,
             u"navy navy red red"_s, u"+23,33 +50 -16,67 -56,67"_s, u"navy navy red red"_s);
        both("one heap up and another down", GameType::Sochi,
             u"HeapOfP1For4=5 HeapOfP2For4=7 HeapOfP3For4=9 HeapOfP4For4=12"_s,
             u"добавить 1 очко в гору игрока Запад и списать 1 очко с горы игрока"_s, u"Север."_s,
             u"HeapOfP1For4=6 HeapOfP2For4=6 WhistsOfP1ToP2For4=6 WhistsOfP1ToP3For4=3 WhistsOfP1ToP4For4=3 "
             "WhistsOfP3ToP2For4=3 WhistsOfP4ToP2For4=3"_s,
             u"+42 +18 -10 -50"_s, u"navy navy red red"_s, u"+43,33 +16,67 -10 -50"_s, u"navy navy red red"_s);
        both("three heaps alike, the fourth gains", GameType::Sochi, u"HeapOfP1For4=1 HeapOfP2For4=1 HeapOfP3For4=1"_s,
             u"добавить 1 очко в гору игрока Юг."_s, QString(),
             u"HeapOfP4For4=1 WhistsOfP4ToP1For4=3 WhistsOfP4ToP2For4=3 WhistsOfP4ToP3For4=3"_s, u"-3 -3 -3 +9"_s,
             u"red red red navy"_s, u"-3,33 -3,33 -3,33 +10"_s, u"red red red navy"_s);
        both("residues taken after the shift, a tie going to zero", GameType::Sochi, u"PoolOfP1For4=2 PoolOfP2For4=2"_s,
             u"добавить 1 очко в гору игроков: Восток, Юг."_s, QString(),
             u"HeapOfP1For4=0 HeapOfP2For4=0 HeapOfP3For4=1 HeapOfP4For4=1 WhistsOfP3ToP1For4=3 "
             "WhistsOfP3ToP2For4=3 WhistsOfP3ToP4For4=3 WhistsOfP4ToP1For4=3 WhistsOfP4ToP2For4=3 "
             "WhistsOfP4ToP3For4=3"_s,
             u"+14 +14 -14 -14"_s, u"navy navy red red"_s, u"+13,33 +13,33 -13,33 -13,33"_s, u"navy navy red red"_s);
        both("Leningrad pools count twice", GameType::Leningrad, u"PoolOfP1For4=1"_s,
             u"списать 1 очко с горы игрока Запад."_s, QString(),
             u"HeapOfP1For4=-1 HeapOfP2For4=0 HeapOfP3For4=0 HeapOfP4For4=0 "
             "WhistsOfP2ToP1For4=3 WhistsOfP3ToP1For4=3 WhistsOfP4ToP1For4=3"_s,
             u"+21 -7 -7 -7"_s, u"navy red red red"_s, u"+20 -6,67 -6,67 -6,67"_s, u"navy red red red"_s);
    }

    void confirmedCorrection()
    {
        QFETCH(GameType, gameType);
        QFETCH(QString, sheet);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(Answer, how);
        QFETCH(QString, changed);
        QFETCH(QString, results);
        QFETCH(QString, colours);

        prepareSheet(4, gameType, HeapDivision::OnNPlayersMinus1, sheet);
        QMap<QString, QString> expected = sheetFields(4);
        const auto writes = assignments(changed);
        for (auto it = writes.begin(); it != writes.end(); ++it) {
            expected.insert(it.key(), it.value());
        }

        calculate();
        expectOpen(m_confirm.get());
        QVERIFY(!m_choice->isVisible());
        QCOMPARE(proposalLine(1), line1);
        QCOMPARE(proposalLine(2), line2);
        answer(m_confirm.get(), how);

        QVERIFY(!m_confirm->isVisible());
        QVERIFY(m_window->isEnabled());
        const QMap<QString, QString> after = sheetFields(4);
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            QVERIFY2(after.value(it.key()) == it.value(),
                     qPrintable(it.key() + u": "_s + after.value(it.key()) + u" instead of "_s + it.value()));
        }
        expectResults(4, results, colours);

        if (how == Answer::Ok) {
            calculate();
            QVERIFY(!m_confirm->isVisible());
            QVERIFY(m_window->isEnabled());
            expectResults(4, results, colours);
        }
    }

    void confirmedCorrection_activatedAgainProposesTheSameAndAppliesItOnce()
    {
        prepareSheet(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1, u"HeapOfP1For4=1"_s);
        calculate();
        expectOpen(m_confirm.get());

        m_confirm->setProposal(QString(), u"stale"_s);
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(m_confirm.get(), &activation);
        QCOMPARE(proposalLine(1), u"списать 1 очко с горы игрока Запад."_s);
        QCOMPARE(proposalLine(2), QString());

        pressEnter(m_confirm.get());
        QCOMPARE(m_window->fieldText(u"HeapOfP1For4"_s), u"0"_s);
        QCOMPARE(m_window->fieldText(u"WhistsOfP2ToP1For4"_s), u"3"_s);
        expectResults(4, u"-9 +3 +3 +3"_s, u"red navy navy navy"_s);
    }

    void confirmedCorrection_nextOpeningKeepsNothingOfTheLast()
    {
        // Two corrections proposed and declined; the next sheet needs one correction only.
        prepareSheet(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1,
                     u"HeapOfP1For4=5 HeapOfP2For4=7 HeapOfP3For4=9 HeapOfP4For4=12"_s);
        calculate();
        expectOpen(m_confirm.get());
        QTest::mouseClick(control<QPushButton>(m_confirm.get(), u"Cancel"_s), Qt::LeftButton);

        prepareSheet(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1,
                     u"HeapOfP1For4=1 HeapOfP2For4=1 HeapOfP3For4=1 HeapOfP4For4=0"_s);
        calculate();
        expectOpen(m_confirm.get());
        QCOMPARE(proposalLine(1), u"добавить 1 очко в гору игрока Юг."_s);
        QCOMPARE(proposalLine(2), QString());
        pressEnter(m_confirm.get());

        QCOMPARE(m_window->fieldText(u"HeapOfP1For4"_s), u"1"_s);
        QCOMPARE(m_window->fieldText(u"HeapOfP2For4"_s), u"1"_s);
        QCOMPARE(m_window->fieldText(u"HeapOfP4For4"_s), u"1"_s);
        QCOMPARE(m_window->fieldText(u"WhistsOfP1ToP2For4"_s), QString());
        expectResults(4, u"-3 -3 -3 +9"_s, u"red red red navy"_s);
    }

    void lotCorrection_everyOpeningStartsFromTheSheetInUse()
    {
        prepareSheet(3, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For3=1 NameOfP2For3=Ann"_s);
        calculate();
        expectOpen(m_choice.get());
        auto *group = control<QGroupBox>(m_choice.get(), u"ChooseAPlayer"_s);
        auto *player2 = control<QRadioButton>(m_choice.get(), u"Player2"_s);
        auto *player4 = control<QRadioButton>(m_choice.get(), u"Player4"_s);
        QVERIFY(control<QRadioButton>(m_choice.get(), u"Player1"_s)->isChecked());
        QCOMPARE(player2->text(), u"Ann"_s);
        QCOMPARE(player2->accessibleName(), u"Игрок Ann"_s);
        QVERIFY(!player4->isVisible());
        QCOMPARE(group->geometry(), QRect(48, 144, 281, 129));

        // Player 3 chosen, then declined: the next opening starts again from player 1.
        QTest::mouseClick(control<QRadioButton>(m_choice.get(), u"Player3"_s), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(m_choice.get(), u"Cancel"_s), Qt::LeftButton);

        prepareSheet(4, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For4=1"_s);
        calculate();
        expectOpen(m_choice.get());
        QVERIFY(control<QRadioButton>(m_choice.get(), u"Player1"_s)->isChecked());
        QVERIFY(player4->isVisible());
        QCOMPARE(player4->text(), u"Юг"_s);
        QCOMPARE(player2->text(), u"Север"_s);
        QCOMPARE(group->geometry(), QRect(48, 144, 281, 161));
    }

    void dialogs_refuseCloseRequestsAndEscape_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<HeapDivision>("division");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<bool>("lot");
        QTest::newRow("correction by lot") << 3 << HeapDivision::OnNPlayers << u"HeapOfP1For3=1"_s << true;
        QTest::newRow("confirmed correction") << 4 << HeapDivision::OnNPlayersMinus1 << u"HeapOfP1For4=1"_s << false;
    }

    void dialogs_refuseCloseRequestsAndEscape()
    {
        QFETCH(int, players);
        QFETCH(HeapDivision, division);
        QFETCH(QString, sheet);
        QFETCH(bool, lot);
        QWidget *dialog = lot ? static_cast<QWidget *>(m_choice.get()) : m_confirm.get();

        prepareSheet(players, GameType::Sochi, division, sheet);
        calculate();
        expectOpen(dialog);
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));

        // The window system's close request (Alt+F4) takes the same road as this one.
        QVERIFY(!dialog->windowHandle()->close());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QVERIFY(!m_window->isEnabled());

        QTest::mouseClick(control<QPushButton>(dialog, u"Cancel"_s), Qt::LeftButton);
        QVERIFY(m_window->isEnabled());
    }

    void dialogs_comeBackWhenTheDisabledMainWindowIsActivated()
    {
        prepareSheet(4, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For4=1"_s);
        calculate();
        expectOpen(m_choice.get());
        m_choice->showMinimized();
        QVERIFY(m_choice->isMinimized());

        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(m_window.get(), &activation);
        QVERIFY(!m_choice->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(m_choice.get()));
        QVERIFY(!m_window->isEnabled());
    }

    void dialogs_layout()
    {
        QCOMPARE(m_choice->size(), QSize(377, 376));
        QCOMPARE(m_choice->windowTitle(), u"Выбор игрока"_s);
        QCOMPARE(control<QPushButton>(m_choice.get(), u"OK"_s)->geometry(), QRect(48, 320, 121, 41));
        QCOMPARE(control<QPushButton>(m_choice.get(), u"Cancel"_s)->geometry(), QRect(208, 320, 121, 41));
        QVERIFY(control<QPushButton>(m_choice.get(), u"OK"_s)->isDefault());
        QVERIFY(control<QGroupBox>(m_choice.get(), u"ChooseAPlayer"_s)->font().bold());
        QVERIFY(!control<QRadioButton>(m_choice.get(), u"Player1"_s)->font().bold());

        QCOMPARE(m_confirm->size(), QSize(409, 144));
        QCOMPARE(m_confirm->windowTitle(), u"Zelvara"_s);
        QCOMPARE(control<QPushButton>(m_confirm.get(), u"OK"_s)->geometry(), QRect(80, 95, 105, 35));
        QCOMPARE(control<QPushButton>(m_confirm.get(), u"Cancel"_s)->geometry(), QRect(224, 95, 105, 35));
        QVERIFY(control<QPushButton>(m_confirm.get(), u"OK"_s)->isDefault());
        QCOMPARE(control<QPushButton>(m_confirm.get(), u"Cancel"_s)->accessibleName(), u"Отмена"_s);
    }

    void results_followTheRegionalSeparator()
    {
        m_desktop->separator = '.';
        prepareSheet(3, GameType::Sochi, HeapDivision::OnNPlayers, u"HeapOfP1For3=1"_s);
        calculate();
        expectOpen(m_choice.get());
        QTest::mouseClick(control<QPushButton>(m_choice.get(), u"Cancel"_s), Qt::LeftButton);
        expectResults(3, u"-6.67 +3.33 +3.33"_s, u"red navy navy"_s);
    }

    // Last: it runs the event loop to its end.
    void closingTheMainWindow_endsTheRunWhileADialogIsOpen()
    {
        prepareSheet(4, GameType::Sochi, HeapDivision::OnNPlayersMinus1, u"HeapOfP1For4=1"_s);
        calculate();
        expectOpen(m_confirm.get());

        QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!m_window->isVisible());
    }
};

QTEST_MAIN(CorrectionDialogsTest)
#include "correction_dialogs_test.moc"
