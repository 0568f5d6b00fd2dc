// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "correction/play.h"
#include "tests/support/test_sheets.h"

#include <QTest>

#include <cmath>

using namespace zelvara::engine;
using namespace zelvara::correction;
using namespace zelvara::testing;

namespace {

SheetRecord record(int players, const QString &fields, HeapDivision division, std::optional<Answer> answer = {})
{
    return {sheetFrom(players, fields, ','), {GameType::Sochi, division}, ',', answer};
}

Answer ok(int player = 1)
{
    return {Button::OK, player};
}

Answer cancel()
{
    return {Button::Cancel, 1};
}

// The shown results of a dialog's answer, straight from the correction rules.
Shown answer(const SheetRecord &record, CorrectionDialog dialog)
{
    const GameType game = record.options.gameType;
    const char separator = record.decimalSeparator;
    const SheetValues values = std::get<SheetValues>(validateSheet(record.sheet, separator));
    const bool accepted = record.answer->button == Button::OK;
    if (dialog == CorrectionDialog::ChoiceOfPlayer) {
        return accepted ? acceptLotCorrection(values, game, record.answer->player, separator)
                        : declineLotCorrection(values, game, separator);
    }
    return accepted ? acceptConfirmedCorrection(values, game, proposeConfirmedCorrection(values, game), separator)
                    : declineConfirmedCorrection(values, game, separator);
}

// What a play gave, in one word: "shown", "message", "lot" or "confirm" (a dialog to ask).
QString kindOf(const Played &played)
{
    if (std::holds_alternative<Shown>(played)) {
        return u"shown"_qs;
    }
    if (std::holds_alternative<ValidationFailure>(played)) {
        return u"message"_qs;
    }
    return std::get<Asked>(played).dialog == CorrectionDialog::ChoiceOfPlayer ? u"lot"_qs : u"confirm"_qs;
}

} // namespace

class PlayTest : public QObject
{
    Q_OBJECT

private slots:
    void play_showsAsksOrRefuses_data();
    void play_showsAsksOrRefuses();
    void play_askedDialogShowsNamesAndProposal();
    void explain_dialogAnswersExplainedAndPaid_data();
    void explain_dialogAnswersExplainedAndPaid();
    void play_generatedAnswersPayTheShownResults();
};

void PlayTest::play_showsAsksOrRefuses_data()
{
    QTest::addColumn<SheetRecord>("record");
    QTest::addColumn<QString>("expected");

    const QString example1 = u"H=20/4/12/0;P=10/8/6/10;W12=20;W21=4;W34=6;W41=2"_qs;
    const QString lotSheet = u"H=1"_qs;
    const QString confirmSheet = u"H=1"_qs;
    constexpr auto OnN = HeapDivision::OnNPlayers;
    constexpr auto OnNMinus1 = HeapDivision::OnNPlayersMinus1;
    QTest::newRow("settled") << record(4, example1, OnN) << u"shown"_qs;
    QTest::newRow("a failed check shows nothing") << record(4, u"H=x"_qs, OnN) << u"message"_qs;
    QTest::newRow("a failed check, whatever the answer") << record(4, u"H=x"_qs, OnN, ok()) << u"message"_qs;
    QTest::newRow("a sheet that opens the lot needs its answer") << record(4, lotSheet, OnN) << u"lot"_qs;
    QTest::newRow("a sheet that opens the confirmation needs its answer")
        << record(4, confirmSheet, OnNMinus1) << u"confirm"_qs;
    QTest::newRow("no dialog: an answer changes nothing") << record(4, example1, OnN, ok(2)) << u"shown"_qs;
    QTest::newRow("the lot answered") << record(4, lotSheet, OnN, ok(2)) << u"shown"_qs;
    QTest::newRow("the confirmation declined") << record(4, confirmSheet, OnNMinus1, cancel()) << u"shown"_qs;
}

void PlayTest::play_showsAsksOrRefuses()
{
    QFETCH(SheetRecord, record);
    QFETCH(QString, expected);
    const Played played = play(record);
    QCOMPARE(kindOf(played), expected);
    if (const auto *shown = std::get_if<Shown>(&played)) {
        // A dialog's answer writes the sheet and says so; a plain settlement does neither.
        QCOMPARE(shown->dialog.has_value(), !shown->correction.empty());
        const Explanation explanation = explain(record, *shown);
        QVERIFY(!explanation.pairLines.empty());
        QVERIFY(!explanation.breakdown.lines.empty());
    }
}

void PlayTest::play_askedDialogShowsNamesAndProposal()
{
    const Played lot = play(record(3, u"H=1"_qs, HeapDivision::OnNPlayers));
    QCOMPARE(std::get<Asked>(lot).names, (std::vector<std::string>{"Запад", "Восток", "Юг"}));
    QCOMPARE(std::get<Asked>(lot).proposal.line1, std::string());

    const SheetRecord confirm = record(4, u"H=4/2/7/10"_qs, HeapDivision::OnNPlayersMinus1);
    const Asked asked = std::get<Asked>(play(confirm));
    QCOMPARE(asked.proposal.line1, std::string("списать 1 очко с горы игрока Север."));
    // "OK" applies the very proposal the dialog showed.
    SheetRecord answered = confirm;
    answered.answer = ok();
    const Shown shown = std::get<Shown>(play(answered));
    QCOMPARE(shown.proposal.heapCorrections, asked.proposal.heapCorrections);
    QCOMPARE(shown.writes.front().text, std::string("4"));
}

void PlayTest::explain_dialogAnswersExplainedAndPaid_data()
{
    QTest::addColumn<SheetRecord>("record");
    QTest::addColumn<QStringList>("pairs");
    QTest::addColumn<QStringList>("transfers");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("correction");

    // Four players, heap 1 on Запад: the lot draws Восток, who gains a point and writes 3 on each other
    // player; results -8, +2, +4, +2 from the corrected sheet.
    QTest::newRow("the lot accepted")
        << record(4, u"H=1"_qs, HeapDivision::OnNPlayers, ok(3))
        << QStringList{u"Запад платит Северу 2,50"_qs, u"Запад платит Востоку 3,00"_qs, u"Запад платит Югу 2,50"_qs,
                       u"Север платит Востоку 0,50"_qs, u"Юг платит Востоку 0,50"_qs}
        << QStringList{u"Запад платит Северу 2,00"_qs, u"Запад платит Востоку 4,00"_qs, u"Запад платит Югу 2,00"_qs}
        << QString()
        << u"Поправка по жребию («OK»): игроку Восток добавлено 1 очко в гору (0 → 1), и он написал по 3 виста "
           u"на каждого из остальных."_qs;
    // Three players, heap 1: "Отмена" shows -6,67, +3,33, +3,33, a hundredth short of zero.
    QTest::newRow("the lot declined, three players")
        << record(3, u"H=1"_qs, HeapDivision::OnNPlayers, cancel())
        << QStringList{u"Запад платит Востоку 3,33"_qs, u"Запад платит Югу 3,33"_qs}
        << QStringList{u"Запад платит Востоку 3,33"_qs, u"Запад платит Югу 3,33"_qs}
        << u"расхождение 0,01 из-за округления: итоги в сумме дают -0,01, поэтому Запад платит 6,66 вместо 6,67; "
           u"суммы по парам округлены до сотых: Запад — Восток, Запад — Юг"_qs
        << u"Поправка по жребию отклонена («Отмена»): лист не изменён, итоги округлены до сотых."_qs;
    // Heaps 4, 2, 7, 10: Север loses a point, the others write 3 on him; results +23, +51, -17, -57, whole
    // already, so nothing is said of rounding.
    QTest::newRow("the confirmation accepted")
        << record(4, u"H=4/2/7/10"_qs, HeapDivision::OnNPlayersMinus1, ok())
        << QStringList{u"Запад платит Северу 7,00"_qs, u"Восток платит Западу 10,00"_qs,
                       u"Юг платит Западу 20,00"_qs,   u"Восток платит Северу 17,00"_qs,
                       u"Юг платит Северу 27,00"_qs,   u"Юг платит Востоку 10,00"_qs}
        << QStringList{u"Восток платит Западу 17,00"_qs, u"Юг платит Западу 6,00"_qs, u"Юг платит Северу 51,00"_qs}
        << QString()
        << u"Поправка принята («OK»): списать 1 очко с горы игрока Север. Горы: Север (2 → 1); за каждое "
           u"списанное очко остальные пишут на игрока по 3 виста, за каждое добавленное игрок пишет по 3 виста на "
           u"остальных."_qs;
}

void PlayTest::explain_dialogAnswersExplainedAndPaid()
{
    QFETCH(SheetRecord, record);
    QFETCH(QStringList, pairs);
    QFETCH(QStringList, transfers);
    QFETCH(QString, note);
    QFETCH(QString, correction);
    const Explanation account = explain(record, std::get<Shown>(play(record)));
    QCOMPARE(qLines(account.pairLines), pairs);
    QCOMPARE(qLines(account.transferLines), transfers);
    QCOMPARE(QString::fromStdString(account.paymentsNote), note);
    QCOMPARE(QString::fromStdString(account.breakdown.correction), correction);
    QCOMPARE(QString::fromStdString(account.breakdown.lines.back()), correction);
}

void PlayTest::play_generatedAnswersPayTheShownResults()
{
    int answered = 0;
    for (const char separator : {',', '.'}) {
        SheetGenerator generator(77);
        for (int round = 0; round < 2000; ++round) {
            const auto division = round % 2 == 0 ? HeapDivision::OnNPlayers : HeapDivision::OnNPlayersMinus1;
            const auto c = generator.next(separator, 3 + round % 2, division);
            const auto dialog = dialogOf(settle(c.sheet, c.options, separator));
            if (!dialog) {
                continue;
            }
            std::vector<SheetRecord> records;
            records.push_back({c.sheet, c.options, separator, cancel()});
            if (*dialog == CorrectionDialog::ChoiceOfPlayer) {
                for (int drawn = 1; drawn <= c.sheet.players; ++drawn) {
                    records.push_back({c.sheet, c.options, separator, ok(drawn)});
                }
            } else {
                records.push_back({c.sheet, c.options, separator, ok()});
            }
            for (const SheetRecord &rec : records) {
                ++answered;
                const auto where = QStringLiteral("sheet %1 button %2 drawn %3")
                                       .arg(round)
                                       .arg(static_cast<int>(rec.answer->button))
                                       .arg(rec.answer->player)
                                       .toUtf8();
                const Played played = play(rec);
                QVERIFY2(std::holds_alternative<Shown>(played), where.constData());
                const Shown &shown = std::get<Shown>(played);
                const Explanation account = explain(rec, shown);
                const Shown outcome = answer(rec, *dialog);
                QCOMPARE(describe(shown.results), describe(outcome.results));

                // The pairs come from the sheet the answer settled and add up to its balances.
                const PairTable pairs = pairBalancesInWhists(outcome.workings);
                for (int i = 0; i < c.sheet.players; ++i) {
                    Extended sum = 0;
                    for (int j = 0; j < c.sheet.players; ++j) {
                        sum += pairs[at(i)][at(j)];
                    }
                    QVERIFY2(std::fabs(sum - outcome.workings.balances[at(i)]) <= 1e-9L, where.constData());
                }

                // Every hundredth a player pays or receives is accounted for, and any change is in the note.
                const Payments &p = account.payments;
                QVERIFY2(p.available, where.constData());
                std::array<std::int64_t, MaxPlayers> byPairs{};
                for (const Transfer &t : p.pairs) {
                    byPairs[at(t.to - 1)] += t.hundredths;
                    byPairs[at(t.from - 1)] -= t.hundredths;
                }
                std::int64_t sum = 0;
                bool changed = false;
                for (int i = 0; i < c.sheet.players; ++i) {
                    QCOMPARE(byPairs[at(i)], p.totals[at(i)]);
                    QVERIFY2(std::llabs(p.totals[at(i)] - p.shownTotals[at(i)]) <= 1, where.constData());
                    changed = changed || p.totals[at(i)] != p.shownTotals[at(i)];
                    sum += p.totals[at(i)];
                }
                QCOMPARE(sum, std::int64_t{0});
                QCOMPARE(account.paymentsNote.empty(), !changed && !p.totalsRounded && p.roundedPairs.empty());
                QCOMPARE(account.breakdown.players.size(), static_cast<std::size_t>(c.sheet.players));
            }
        }
    }
    QVERIFY(answered > 1000);
}

QTEST_APPLESS_MAIN(PlayTest)
#include "play_test.moc"
