// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/breakdown.h"
#include "engine/payments.h"
#include "tests/engine/test_sheets.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <tuple>

using namespace zelvara::engine;
using namespace zelvara::testing;

namespace {

// Five decimals or more, except in the exponent form the general form gives a huge number.
const QRegularExpression LongDecimals(QStringLiteral("\\d[,.]\\d{5}(?!\\d*E)"));

std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

// "1>2:2900 1>4:5200": transfers in short.
QString describe(const std::vector<Transfer> &transfers)
{
    QStringList parts;
    for (const Transfer &t : transfers) {
        parts << QStringLiteral("%1>%2:%3").arg(t.from).arg(t.to).arg(t.hundredths);
    }
    return parts.join(u' ');
}

QStringList qLines(const std::vector<std::string> &lines)
{
    QStringList out;
    for (const std::string &line : lines) {
        out << QString::fromStdString(line);
    }
    return out;
}

// The fewest transfers found the slow way: every set of pairs, cycles included, that lets each group
// of connected players settle among themselves (its totals add up to zero).
std::size_t bruteForceFewest(const std::array<std::int64_t, MaxPlayers> &totals, int n)
{
    std::vector<std::array<int, 2>> pairs;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            pairs.push_back({i, j});
        }
    }
    std::size_t fewest = pairs.size() + 1;
    for (unsigned mask = 0; mask < (1U << pairs.size()); ++mask) {
        std::array<int, MaxPlayers> group{0, 1, 2, 3};
        for (int pass = 0; pass < n; ++pass) {
            for (std::size_t p = 0; p < pairs.size(); ++p) {
                if ((mask >> p & 1U) != 0) {
                    const int low = std::min(group[at(pairs[p][0])], group[at(pairs[p][1])]);
                    group[at(pairs[p][0])] = group[at(pairs[p][1])] = low;
                }
            }
        }
        std::array<std::int64_t, MaxPlayers> sums{};
        for (int i = 0; i < n; ++i) {
            sums[at(group[at(i)])] += totals[at(i)];
        }
        if (std::all_of(sums.begin(), sums.end(), [](std::int64_t s) { return s == 0; })) {
            fewest = std::min<std::size_t>(fewest, static_cast<std::size_t>(std::popcount(mask)));
        }
    }
    return fewest;
}

} // namespace

class PaymentsTest : public QObject
{
    Q_OBJECT

private slots:
    void generatedSheets_pairsPaymentsAndBreakdownAgreeWithResults();
    void fewestTransfers_exactWithTies_data();
    void fewestTransfers_exactWithTies();
    void rounding_oneRuleAndANote_data();
    void rounding_oneRuleAndANote();
    void rounding_missingHundredthGoesToThePairRoundedFurthestDown();
    void rounding_totalsMissingZeroByMoreThanThePlayersAreNotPaid();
    void lines_declineOnlyTheSeatNames();
};

void PaymentsTest::generatedSheets_pairsPaymentsAndBreakdownAgreeWithResults()
{
    int checked = 0;
    for (const char separator : {',', '.'}) {
        SheetGenerator generator(9092026);
        for (int round = 0; round < 3000; ++round) {
            const SheetGenerator::Case c = generator.next(separator);
            const auto outcome = settleWorkings(c.sheet, c.options, separator);
            const auto *w = std::get_if<Workings>(&outcome);
            if (w == nullptr) {
                continue;
            }
            ++checked;
            const int n = w->players;
            const QByteArray where = QStringLiteral("sheet %1 '%2'").arg(round).arg(separator).toUtf8();

            // Pairs add up to each balance before any rounding.
            const PairTable pairs = pairBalancesInWhists(*w);
            for (int i = 0; i < n; ++i) {
                Extended sum = 0;
                for (int j = 0; j < n; ++j) {
                    QVERIFY2(pairs[at(i)][at(j)] == -pairs[at(j)][at(i)], where.constData());
                    sum += pairs[at(i)][at(j)];
                }
                QVERIFY2(std::fabs(sum - w->balances[at(i)]) <= 1e-9L, where.constData());
            }

            // Payments: whole hundredths that add up to each player's rounded total.
            const auto shown = resultTexts(w->results, separator);
            const Payments payments = paymentsOf(*w, shown, separator);
            QVERIFY2(payments.available, where.constData());
            std::array<std::int64_t, MaxPlayers> byPairs{};
            std::array<std::int64_t, MaxPlayers> byTransfers{};
            for (const Transfer &t : payments.pairs) {
                QVERIFY2(t.hundredths > 0, where.constData());
                const Extended exact = std::fabs(pairs[at(t.to - 1)][at(t.from - 1)] * w->whistValue * 100.0L);
                QVERIFY2(std::fabs(exact - static_cast<Extended>(t.hundredths)) < 2.0L, where.constData());
                byPairs[at(t.to - 1)] += t.hundredths;
                byPairs[at(t.from - 1)] -= t.hundredths;
            }
            for (const Transfer &t : payments.transfers) {
                QVERIFY2(t.hundredths > 0, where.constData());
                byTransfers[at(t.to - 1)] += t.hundredths;
                byTransfers[at(t.from - 1)] -= t.hundredths;
            }
            std::int64_t sum = 0;
            for (int i = 0; i < n; ++i) {
                QCOMPARE(payments.shownTotals[at(i)], std::llround(w->results.values[at(i)] * 100.0L));
                QCOMPARE(byPairs[at(i)], payments.totals[at(i)]);
                QCOMPARE(byTransfers[at(i)], payments.totals[at(i)]);
                sum += payments.totals[at(i)];
            }
            QCOMPARE(sum, std::int64_t{0});
            QCOMPARE(payments.transfers.size(), bruteForceFewest(payments.totals, n));

            // The breakdown's numbers recompute the shown results.
            const Breakdown breakdown = breakdownOf(*w, c.options, c.sheet.names, shown, {}, separator);
            QCOMPARE(static_cast<int>(breakdown.players.size()), n);
            for (int i = 0; i < n; ++i) {
                const BreakdownRow &row = breakdown.players[at(i)];
                const Extended balance =
                    row.share ? *row.share + static_cast<Extended>(row.whistsWritten - row.whistsReceived)
                              : *row.claimsOwed - *row.claimsOwing;
                QVERIFY2(std::fabs(balance - row.balanceInWhists) <= 1e-9L, where.constData());
                QCOMPARE(row.balanceInWhists * w->whistValue, w->results.values[at(i)]);
                QCOMPARE(row.adjustedHeap, row.heap - w->poolFactor * row.pool);
                QCOMPARE(row.result, shown[at(i)].text);
            }
            // Its lines write no number with more than four decimals, and no minus but "-".
            for (const std::string &line : breakdown.lines) {
                const QString text = QString::fromStdString(line);
                QVERIFY2(!text.contains(LongDecimals) && !text.contains(u'−'), line.c_str());
            }
        }
    }
    QVERIFY(checked > 4000);
}

void PaymentsTest::fewestTransfers_exactWithTies_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QList<qint64>>("totals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("example 1: one group, no money passed on, lower seats")
        << 4 << QList<qint64>{-8100, 2900, -4900, 10100} << u"1>2:2900 1>4:5200 3>4:4900"_qs;
    QTest::newRow("example 5") << 4 << QList<qint64>{-36600, 16400, -21400, 41600}
                               << u"1>2:16400 1>4:20200 3>4:21400"_qs;
    QTest::newRow("two groups of two, lower seats first") << 4 << QList<qint64>{1, 1, -1, -1} << u"3>1:1 4>2:1"_qs;
    QTest::newRow("two groups beat one of four") << 4 << QList<qint64>{500, -300, 300, -500} << u"2>3:300 4>1:500"_qs;
    QTest::newRow("a player with nothing to pay stays out") << 4 << QList<qint64>{0, 700, 0, -700} << u"4>2:700"_qs;
    QTest::newRow("three players") << 3 << QList<qint64>{6600, -600, -6000} << u"2>1:600 3>1:6000"_qs;
    QTest::newRow("one payer, three payees")
        << 4 << QList<qint64>{-600, 100, 200, 300} << u"1>2:100 1>3:200 1>4:300"_qs;
    QTest::newRow("two players") << 2 << QList<qint64>{-3400, 3400} << u"1>2:3400"_qs;
    QTest::newRow("all square") << 4 << QList<qint64>{0, 0, 0, 0} << QString();
    QTest::newRow("totals that miss zero get no transfers") << 3 << QList<qint64>{1, 0, 0} << QString();
}

void PaymentsTest::fewestTransfers_exactWithTies()
{
    QFETCH(int, players);
    QFETCH(QList<qint64>, totals);
    QFETCH(QString, expected);
    std::array<std::int64_t, MaxPlayers> t{};
    for (qsizetype i = 0; i < totals.size(); ++i) {
        t[static_cast<std::size_t>(i)] = totals[i];
    }
    QCOMPARE(describe(fewestTransfers(t, players)), expected);
}

void PaymentsTest::rounding_oneRuleAndANote_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QList<qint64>>("heaps"); // adjusted heaps; the average form, no whists
    QTest::addColumn<QString>("whistValue");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QString>("transfers");
    QTest::addColumn<QString>("note");

    QTest::newRow("thirds rounded one by one miss by a hundredth")
        << 3 << QList<qint64>{1, 0, 0} << u"1"_qs << QStringList{u"-6,67"_qs, u"+3,33"_qs, u"+3,33"_qs}
        << u"1>2:333 1>3:333"_qs << u"1>2:333 1>3:333"_qs
        << u"расхождение 0,01 из-за округления: итоги в сумме дают -0,01, поэтому Запад платит 6,66 вместо "
           u"6,67; суммы по парам округлены до сотых: Запад — Восток, Запад — Юг"_qs;
    QTest::newRow("halves of a hundredth shifted away from zero")
        << 4 << QList<qint64>{1, 0, 0, 0} << u"0,01"_qs
        << QStringList{u"-0,08"_qs, u"+0,03"_qs, u"+0,03"_qs, u"+0,03"_qs} << u"1>2:2 1>3:3 1>4:3"_qs
        << u"1>2:2 1>3:3 1>4:3"_qs
        << u"расхождение 0,01 из-за округления: итоги в сумме дают +0,01, поэтому Север получает 0,02 вместо "
           u"0,03; суммы по парам округлены до сотых: Запад — Север, Запад — Восток, Запад — Юг"_qs;
    QTest::newRow("whole totals, pairs in thirds")
        << 3 << QList<qint64>{1, 2, 0} << u"1"_qs << QStringList{u"0"_qs, u"-10"_qs, u"+10"_qs}
        << u"2>1:333 1>3:333 2>3:667"_qs << u"2>3:1000"_qs
        << u"суммы по парам округлены до сотых: Запад — Восток, Запад — Юг, Восток — Юг"_qs;
    QTest::newRow("a total shown beyond hundredths")
        << 3 << QList<qint64>{1, 0, 0} << u"1"_qs
        << QStringList{u"-6,66666666666667"_qs, u"+3,33333333333333"_qs, u"+3,33333333333333"_qs}
        << u"1>2:333 1>3:333"_qs << u"1>2:333 1>3:333"_qs
        << u"итоги округлены до сотых; расхождение 0,01 из-за округления: итоги в сумме дают -0,01, поэтому Запад "
           u"платит 6,66 вместо 6,67; суммы по парам округлены до сотых: Запад — Восток, Запад — Юг"_qs;
    QTest::newRow("results too large to pay")
        << 2 << QList<qint64>{0, 0} << u"1"_qs << QStringList{u"-1E20"_qs, u"+1E20"_qs} << QString() << QString()
        << u"суммы слишком велики, чтобы расписать, кто кому платит"_qs;
}

void PaymentsTest::rounding_oneRuleAndANote()
{
    QFETCH(int, players);
    QFETCH(QList<qint64>, heaps);
    QFETCH(QString, whistValue);
    QFETCH(QStringList, shown);
    QFETCH(QString, pairs);
    QFETCH(QString, transfers);
    QFETCH(QString, note);
    HeapTable d{};
    std::int64_t sum = 0;
    for (qsizetype i = 0; i < heaps.size(); ++i) {
        d[static_cast<std::size_t>(i)] = heaps[i];
        sum += heaps[i];
    }
    const Extended v = whistValue == u"1" ? 1.0L : 0.01L;
    const Workings w = averageForm(players, WhistTable{}, d, sum, static_cast<Extended>(players), v);
    std::vector<ShownResult> texts;
    for (const QString &text : shown) {
        texts.push_back({text.toStdString(), Tone::Gain});
    }
    const Payments payments = paymentsOf(w, texts, ',');
    QCOMPARE(describe(payments.pairs), pairs);
    QCOMPARE(describe(payments.transfers), transfers);
    const auto names = SheetTexts::withDesignTexts(players).names;
    QCOMPARE(QString::fromStdString(paymentsNote(payments, names, ',')), note);
}

namespace {

// Working values of the claims form with the given pairs (in whists, what j owes i for i < j) at a whist
// of one hundredth, so that every whist is one hundredth of money.
Workings pairsAtOneHundredth(int players, const std::vector<std::tuple<int, int, Extended>> &pairs)
{
    Workings w;
    w.players = players;
    w.form = SettlementForm::Claims;
    w.whistValue = 0.01L;
    w.results.players = players;
    for (const auto &[i, j, whists] : pairs) {
        w.claims[at(i)][at(j)] = whists;
    }
    for (int i = 0; i < players; ++i) {
        for (int j = 0; j < players; ++j) {
            w.balances[at(i)] += w.claims[at(i)][at(j)] - w.claims[at(j)][at(i)];
        }
        w.results.values[at(i)] = w.balances[at(i)] * w.whistValue;
    }
    return w;
}

} // namespace

void PaymentsTest::rounding_missingHundredthGoesToThePairRoundedFurthestDown()
{
    // Every pair rounds to nothing, yet Запад and Юг are owed a hundredth each and Север and Восток owe
    // one each. Запад's pair with Север lost most to the rounding (0,45), so it takes the first hundredth
    // and Юг's pair with Восток the other; taking the pair rounded least first would pair them the other
    // way round.
    const Workings w = pairsAtOneHundredth(4, {{0, 1, 0.45L}, {0, 2, 0.3L}, {3, 1, 0.4L}, {3, 2, 0.35L}});
    const Payments p = paymentsOf(w, resultTexts(w.results, ','), ',');
    QVERIFY(p.available);
    QCOMPARE(p.totals, (std::array<std::int64_t, MaxPlayers>{1, -1, -1, 1}));
    QCOMPARE(describe(p.pairs), u"2>1:1 3>4:1"_qs);
}

void PaymentsTest::rounding_totalsMissingZeroByMoreThanThePlayersAreNotPaid()
{
    // Results rounded one by one miss zero by a hundredth per player at most: three players may miss by
    // three hundredths and are still paid, by four they are no results of a settlement.
    const Workings byThree = pairsAtOneHundredth(3, {});
    Payments p = paymentsOf(byThree, {{"+0,01", Tone::Gain}, {"+0,01", Tone::Gain}, {"+0,01", Tone::Gain}}, ',');
    QVERIFY(p.available);
    QCOMPARE(p.shownTotals, (std::array<std::int64_t, MaxPlayers>{1, 1, 1, 0}));
    QCOMPARE(p.totals, (std::array<std::int64_t, MaxPlayers>{0, 0, 0, 0}));
    p = paymentsOf(byThree, {{"+0,02", Tone::Gain}, {"+0,01", Tone::Gain}, {"+0,01", Tone::Gain}}, ',');
    QVERIFY(!p.available);
    p = paymentsOf(byThree, {{"-0,02", Tone::Loss}, {"-0,01", Tone::Loss}, {"-0,01", Tone::Loss}}, ',');
    QVERIFY(!p.available);
}

void PaymentsTest::lines_declineOnlyTheSeatNames()
{
    const std::vector<Transfer> transfers{{1, 4, 1250}, {3, 2, 7}};
    std::array<std::string, MaxPlayers> names{"Запад", "Север", "Восток", "Юг"};
    QCOMPARE(qLines(paymentLines(transfers, names, ',')),
             (QStringList{u"Запад платит Югу 12,50"_qs, u"Восток платит Северу 0,07"_qs}));
    // One payee whose name cannot be declined puts the whole list in the other wording.
    names[1] = "Аня";
    QCOMPARE(qLines(paymentLines(transfers, names, '.')),
             (QStringList{u"Запад → Юг: 12.50"_qs, u"Восток → Аня: 0.07"_qs}));
    names[1] = "Север";
    names[0] = "Аня";
    QCOMPARE(qLines(paymentLines(transfers, names, ',')),
             (QStringList{u"Аня платит Югу 12,50"_qs, u"Восток платит Северу 0,07"_qs}));

    QCOMPARE(amountText(1250, ','), "12,5");
    QCOMPARE(amountText(8100, ','), "81");
    QCOMPARE(amountText(7, '.'), "0.07");
    QCOMPARE(amountText(1230000000000001, ','), "12300000000000,01");
    QCOMPARE(moneyText(8100, ','), "81,00");
    QCOMPARE(moneyText(10, '.'), "0.10");
}

QTEST_APPLESS_MAIN(PaymentsTest)
#include "payments_test.moc"
