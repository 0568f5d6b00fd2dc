// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/results_summary.h"

#include "correction/play.h"
#include "engine/payments.h"
#include "report/report.h"

#include <QStringList>

#include <cstddef>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

// The table has three columns (payer, payee, amount); a row of fewer cells spans the rest, so every row
// is as wide as the table and a spreadsheet gets no ragged edge.
constexpr int Columns = 3;

QString cell(const QString &text, int span = 1, const QString &tag = u"td"_s)
{
    const QString attributes = span > 1 ? u" colspan=\""_s + QString::number(span) + u'"' : QString();
    return u'<' + tag + attributes + u'>' + text.toHtmlEscaped() + u"</"_s + tag + u'>';
}

QString row(const QString &cells)
{
    return u"<tr>"_s + cells + u"</tr>\n"_s;
}

QString lineOf(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

ResultsSummary resultsSummary(const correction::SettledSheet &settled, const correction::Explanation &explanation)
{
    const engine::SheetRecord &record = settled.record;
    const char separator = record.decimalSeparator;
    const std::vector<engine::ShownResult> &results = settled.shown.results;
    const engine::Payments &payments = explanation.payments;
    const auto name = [&record](int player) { return report::playerName(record, player); };
    QStringList text;
    QString rows;

    const QDateTime time = report::settlementTime(settled.date);
    const QString title = time.isValid() ? u"Пуля от "_s + time.toString(u"dd.MM.yyyy"_s) : u"Пуля"_s;
    text << title << lineOf(explanation.optionsLine);
    rows += row(cell(title, Columns, u"th"_s));
    rows += row(cell(lineOf(explanation.optionsLine), Columns));

    rows += row(cell(u"Игрок"_s, 1, u"th"_s) + cell(u"Итог"_s, Columns - 1, u"th"_s));
    for (int player = 1; player <= record.sheet.players; ++player) {
        const auto index = static_cast<std::size_t>(player - 1);
        const QString result = index < results.size() ? lineOf(results[index].text) : QString();
        text << name(player) + u": "_s + result;
        rows += row(cell(name(player)) + cell(result, Columns - 1));
    }

    const auto transfers = [&](const std::vector<engine::Transfer> &list, const std::vector<std::string> &lines) {
        for (std::size_t i = 0; i < list.size(); ++i) {
            const engine::Transfer &transfer = list[i];
            const QString amount = lineOf(engine::moneyText(transfer.hundredths, separator));
            // The window's own wording for the chat; a plain row of cells for the spreadsheet.
            text << (i < lines.size() ? lineOf(lines[i])
                                      : name(transfer.from) + u" → "_s + name(transfer.to) + u": "_s + amount);
            rows += row(cell(name(transfer.from)) + cell(name(transfer.to)) + cell(amount));
        }
    };

    text << u"Кто кому платит:"_s;
    rows += row(cell(u"Платит"_s, 1, u"th"_s) + cell(u"Получает"_s, 1, u"th"_s) + cell(u"Сумма"_s, 1, u"th"_s));
    if (!payments.available) {
        // The note says why there are no payments.
        const QString why = lineOf(explanation.paymentsNote);
        text << why;
        rows += row(cell(why, Columns));
    } else {
        if (payments.transfers.empty()) {
            const QString why = u"никто никому не платит"_s;
            text << why;
            rows += row(cell(why, Columns));
        }
        transfers(payments.transfers, explanation.transferLines);
        // The note names pairs whose amounts were rounded: the pairs come along, so it can be checked.
        if (!payments.roundedPairs.empty()) {
            text << u"По парам:"_s;
            rows += row(cell(u"По парам"_s, Columns, u"th"_s));
            transfers(payments.pairs, explanation.pairLines);
        }
        if (!explanation.paymentsNote.empty()) {
            text << lineOf(explanation.paymentsNote);
            rows += row(cell(lineOf(explanation.paymentsNote), Columns));
        }
    }

    ResultsSummary summary;
    summary.text = text.join(u'\n') + u'\n';
    summary.html = u"<html><head><meta charset=\"utf-8\"></head><body>\n"
                   u"<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" style=\"border-collapse: collapse\">\n"_s +
                   rows + u"</table>\n</body></html>\n"_s;
    return summary;
}

} // namespace zelvara::app
