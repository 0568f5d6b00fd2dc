// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/results_summary.h"

#include "correction/play.h"
#include "engine/payments.h"

#include <cstddef>

namespace zelvara::app {

namespace {

// A player without a name is still somebody the others can find on the sheet.
std::string nameOf(const correction::SettledSheet &settled, int player)
{
    const std::string &name = settled.record.sheet.names.at(static_cast<std::size_t>(player - 1));
    return name.empty() ? "Игрок " + std::to_string(player) : name;
}

std::string cell(const std::string &text, const char *tag = "td", int span = 1)
{
    std::string html = std::string("<") + tag;
    if (span > 1)
        html += " colspan=\"" + std::to_string(span) + "\"";
    return html + ">" + escapeHtml(text) + "</" + tag + ">";
}

std::string row(const std::string &cells)
{
    return "<tr>" + cells + "</tr>\n";
}

} // namespace

std::string escapeHtml(const std::string &text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char ch : text) {
        switch (ch) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += ch;
            break;
        }
    }
    return escaped;
}

ResultsSummary resultsSummary(const correction::SettledSheet &settled, const correction::Explanation &account,
                              const std::string &date)
{
    const char decimalSeparator = settled.record.decimalSeparator;
    const std::vector<engine::ShownResult> &results = settled.shown.results;
    ResultsSummary summary;
    std::string &text = summary.text;
    std::string rows;

    text += "Пуля от " + date + "\n" + account.optionsLine + "\n";
    rows += row(cell("Пуля от") + cell(date, "td", 2));
    rows += row(cell("Условия") + cell(account.optionsLine, "td", 2));

    rows += row(cell("Игрок", "th") + cell("Итог", "th"));
    for (int player = 1; player <= settled.record.sheet.players; ++player) {
        const auto index = static_cast<std::size_t>(player - 1);
        const std::string result = index < results.size() ? results[index].text : std::string();
        text += nameOf(settled, player) + ": " + result + "\n";
        rows += row(cell(nameOf(settled, player)) + cell(result));
    }

    text += "Кто кому платит:\n";
    rows += row(cell("Платит", "th") + cell("Получает", "th") + cell("Сумма", "th"));
    if (!account.payments.available) {
        const std::string why = "итоги слишком велики, чтобы разбить их на платежи";
        text += why + "\n";
        rows += row(cell(why, "td", 3));
    } else if (account.payments.transfers.empty()) {
        const std::string why = "никто никому не платит";
        text += why + "\n";
        rows += row(cell(why, "td", 3));
    }
    for (std::size_t i = 0; i < account.payments.transfers.size(); ++i) {
        const engine::Transfer &transfer = account.payments.transfers[i];
        const std::string amount = engine::moneyText(transfer.hundredths, decimalSeparator);
        // The window's own wording for the chat; a plain row of cells for the spreadsheet.
        text += (i < account.transferLines.size()
                     ? account.transferLines[i]
                     : nameOf(settled, transfer.from) + " → " + nameOf(settled, transfer.to) + ": " + amount) +
                "\n";
        rows += row(cell(nameOf(settled, transfer.from)) + cell(nameOf(settled, transfer.to)) + cell(amount));
    }
    if (!account.paymentsNote.empty()) {
        text += account.paymentsNote + "\n";
        rows += row(cell(account.paymentsNote, "td", 3));
    }

    summary.html = "<html><head><meta charset=\"utf-8\"></head><body>\n<table>\n" + rows + "</table>\n</body></html>\n";
    return summary;
}

} // namespace zelvara::app
