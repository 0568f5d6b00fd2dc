// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the engine and correction tests: sheets written as control-name assignments, both
// decimal separators, generated sheets and an exact settlement to hold the engine against.

#include "engine/field_reading.h"
#include "engine/result_format.h"
#include "engine/settlement.h"

#include <QString>
#include <QStringList>
#include <QTest>

#include <cstdint>
#include <optional>

namespace zelvara::testing {

using namespace engine;

// 128-bit integers hold the exact balances with room to spare.
__extension__ typedef __int128 Wide;

// The program's lines as a list, for comparing with a test's.
inline QStringList qLines(const std::vector<std::string> &lines)
{
    QStringList out;
    for (const std::string &line : lines) {
        out << QString::fromStdString(line);
    }
    return out;
}

// A player's index (from 0) into the engine's arrays.
inline std::size_t at(int index)
{
    return static_cast<std::size_t>(index);
}

// Rows are written with a comma; under a point the two characters swap places, so "0,5 passes and
// 0.5 fails" becomes "0.5 passes and 0,5 fails".
inline QString localised(QString text, char separator)
{
    if (separator == '.') {
        for (QChar &c : text) {
            c = c == u',' ? u'.' : (c == u'.' ? u',' : c);
        }
    }
    return text;
}

// A sheet in short: "H=20/4/12/0;P=10/8/6/10;W12=20;V=0,5;N1=Юг" sets heaps and pools of players 1, 2, ...
// in turn, W(1->2), the whist value (localised) and a name, over the design texts of the sheet.
inline SheetTexts sheetFrom(int players, const QString &shorthand, char separator)
{
    SheetTexts sheet = SheetTexts::withDesignTexts(players);
    for (const QString &item : shorthand.split(u';', Qt::SkipEmptyParts)) {
        const QString key = item.section(u'=', 0, 0);
        const QString value = item.section(u'=', 1);
        const auto digit = [&](int at) { return static_cast<std::size_t>(key.at(at).digitValue() - 1); };
        if (key == u"V") {
            sheet.whistValue = localised(value, separator).toStdString();
        } else if (key == u"H" || key == u"P") {
            auto &texts = key == u"H" ? sheet.heaps : sheet.pools;
            const QStringList list = value.split(u'/');
            for (qsizetype i = 0; i < list.size(); ++i) {
                texts[static_cast<std::size_t>(i)] = list[i].toStdString();
            }
        } else if (key.startsWith(u'N')) {
            sheet.names[digit(1)] = value.toStdString();
        } else if (key.startsWith(u'W')) {
            sheet.whists[digit(1)][digit(2)] = value.toStdString();
        } else {
            qFatal("bad item in a test row");
        }
    }
    return sheet;
}

// The same short form for the fields a correction writes: "H1=0 W21=3".
template <typename Writes> QString describeWrites(const Writes &writes)
{
    QStringList parts;
    for (const auto &write : writes) {
        const QString who = QString::number(write.field.player) +
                            (write.field.kind == FieldKind::Whists ? QString::number(write.field.other) : QString());
        parts << (write.field.kind == FieldKind::Heap ? u"H"_qs : u"W"_qs) + who + u'=' +
                     QString::fromStdString(write.text);
    }
    return parts.join(u' ');
}

// "-81r +29" : texts with "r" marking a loss.
inline QString describe(const std::vector<ShownResult> &results)
{
    QStringList parts;
    for (const ShownResult &result : results) {
        parts << QString::fromStdString(result.text) + (result.tone == Tone::Loss ? QStringLiteral("r") : QString());
    }
    return parts.join(u' ');
}

// The dialog a settlement opens, if it opens one.
inline std::optional<CorrectionDialog> dialogOf(const SettlementOutcome &outcome)
{
    const auto *dialog = std::get_if<CorrectionDialog>(&outcome);
    return dialog ? std::optional(*dialog) : std::nullopt;
}

// A small deterministic generator: the same sheets on every run and every machine.
class SheetGenerator
{
public:
    explicit SheetGenerator(std::uint64_t seed) : m_state(seed) {}

    std::int64_t between(std::int64_t low, std::int64_t high)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        const std::uint64_t span = static_cast<std::uint64_t>(high - low + 1);
        return low + static_cast<std::int64_t>((m_state >> 33) % span);
    }

    // A field text: mostly small numbers, some empty, negative, padded or hexadecimal.
    std::string integerText(std::int64_t low, std::int64_t high)
    {
        const std::int64_t value = between(low, high);
        switch (between(0, 9)) {
        case 0:
            return {};
        case 1:
            return " " + std::to_string(value) + "\t";
        case 2:
            return value >= 0 ? "$" + hex(value) : std::to_string(value);
        default:
            return std::to_string(value);
        }
    }

    // Whist values in hundredths, written with the separator.
    static std::string moneyText(std::int64_t hundredths, char separator)
    {
        const std::int64_t magnitude = hundredths < 0 ? -hundredths : hundredths;
        std::string text = (hundredths < 0 ? "-" : "") + std::to_string(magnitude / 100);
        if (magnitude % 100 != 0) {
            text += separator;
            text += static_cast<char>('0' + magnitude % 100 / 10);
            if (magnitude % 10 != 0) {
                text += static_cast<char>('0' + magnitude % 10);
            }
        }
        return text;
    }

    struct Case
    {
        SheetTexts sheet;
        Options options;
        std::int64_t whistHundredths = 0;
    };

    // A sheet of `players` (any count when 0) under `division` (any when not given).
    Case next(char separator, int players = 0, std::optional<HeapDivision> division = {})
    {
        static constexpr std::array<std::int64_t, 12> Prices{1, 2, 3, 5, 10, 25, 33, 50, 100, 150, 300, 1234};
        Case c;
        players = players == 0 ? static_cast<int>(between(2, 4)) : players;
        c.sheet = SheetTexts::withDesignTexts(players);
        c.options.gameType = between(0, 1) == 0 ? GameType::Sochi : GameType::Leningrad;
        c.options.heapDivision = division ? *division : static_cast<HeapDivision>(between(0, 2));
        if (players == 2 && c.options.heapDivision == HeapDivision::OnNPlayersMinus1) {
            c.options.heapDivision = HeapDivision::Nondivisible;
        }
        c.whistHundredths = Prices[static_cast<std::size_t>(between(0, Prices.size() - 1))];
        if (between(0, 9) == 0) {
            c.whistHundredths = -c.whistHundredths;
        }
        c.sheet.whistValue = moneyText(c.whistHundredths, separator);
        for (std::size_t i = 0; i < static_cast<std::size_t>(players); ++i) {
            c.sheet.pools[i] = integerText(-5, 60);
            c.sheet.heaps[i] = integerText(-20, 400);
            for (std::size_t j = 0; j < static_cast<std::size_t>(players); ++j) {
                if (i != j) {
                    c.sheet.whists[i][j] = integerText(-10, 500);
                }
            }
        }
        return c;
    }

private:
    static std::string hex(std::int64_t value)
    {
        static constexpr char Digits[] = "0123456789aBcDeF";
        std::string text;
        do {
            text.insert(text.begin(), Digits[value % 16]);
            value /= 16;
        } while (value > 0);
        return text;
    }

    std::uint64_t m_state;
};

// The values of a sheet known to pass the checks.
inline SheetValues checkedValues(const SheetTexts &sheet, char separator)
{
    return std::get<SheetValues>(validateSheet(sheet, separator));
}

// Exact balances times 12 (every divisor divides 12), from the claims as fractions: each player is
// owed W(i->j) plus a divisor-th of every other player's heap counted in whists.
inline std::array<Wide, MaxPlayers> exactBalancesTimes12(const SheetValues &sheet, GameType gameType, int divisor)
{
    const int n = sheet.players;
    std::array<Wide, MaxPlayers> d{};
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        d[i] = Wide{sheet.heaps[i]} - Wide{gameType == GameType::Leningrad ? 2 : 1} * sheet.pools[i];
    }
    const auto claimTimes12 = [&](std::size_t i, std::size_t j) {
        return 120 * d[j] / divisor + 12 * Wide{sheet.whists[i][j]};
    };
    std::array<Wide, MaxPlayers> balances{};
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        for (std::size_t j = 0; j < static_cast<std::size_t>(n); ++j) {
            if (i != j) {
                balances[i] += claimTimes12(i, j) - claimTimes12(j, i);
            }
        }
    }
    return balances;
}

// The exact result of a balance (times 12) at a whist value given in hundredths, as a long double.
inline long double exactResult(Wide balanceTimes12, std::int64_t whistHundredths)
{
    return static_cast<long double>(balanceTimes12 * whistHundredths) / 1200.0L;
}

} // namespace zelvara::testing
