// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/book/output.h"

#include "cli/terminal.h"
#include "engine/payments.h"
#include "engine/result_format.h"
#include "engine/utf8.h"

#include <algorithm>
#include <boost/json.hpp>

namespace zelvara::cli::book {

namespace json = boost::json;

namespace {

// Text from outside (file names, notes, names) made sound UTF-8 for JSON: a byte that breaks it
// becomes U+FFFD.
std::string sound(std::string_view text)
{
    std::string out;
    while (const auto bad = engine::firstInvalidUtf8(text)) {
        out += text.substr(0, *bad);
        out += "\xEF\xBF\xBD";
        text.remove_prefix(*bad + 1);
    }
    out += text;
    return out;
}

json::string_view view(const std::string &text)
{
    return {text.data(), text.size()};
}

std::string line(const json::value &value)
{
    return json::serialize(value) + "\n";
}

std::string amount(std::int64_t hundredths, char separator)
{
    return engine::amountText(hundredths, separator);
}

// A gain with its sign, as a result field shows it.
std::string signedAmount(std::int64_t hundredths, char separator)
{
    return (hundredths > 0 ? "+" : "") + amount(hundredths, separator);
}

// Rows of cells in columns, the first column to the left and the rest to the right.
std::string table(const std::vector<std::vector<std::string>> &rows)
{
    std::vector<std::size_t> widths;
    for (const auto &row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], characterCount(row[i]));
        }
    }
    std::string text;
    for (const auto &row : rows) {
        std::string out;
        for (std::size_t i = 0; i < row.size(); ++i) {
            out += (i == 0 ? "" : "  ") + padded(row[i], widths[i], i != 0);
        }
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        text += out + "\n";
    }
    return text;
}

std::string csvField(std::string_view text)
{
    std::string field = sound(text);
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::string csvRow(const std::vector<std::string> &fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        row += (i == 0 ? "" : ",") + csvField(fields[i]);
    }
    return row + "\r\n";
}

} // namespace

std::string addedLine(const std::string &file, std::int64_t id)
{
    return line(json::object{{"file", view(sound(file))}, {"id", id}});
}

std::string notAddedLine(const std::string &file, const std::string &error)
{
    return line(json::object{{"file", view(sound(file))}, {"error", view(sound(error))}});
}

std::string recordsOpening()
{
    return "{\"records\":[";
}

std::string recordJson(const Record &record, bool first, char separator)
{
    json::array players;
    for (const auto &p : record.players) {
        players.push_back(json::object{{"name", view(sound(p.name))},
                                       {"player", view(sound(p.player))},
                                       {"hundredths", p.hundredths},
                                       {"amount", view(amount(p.hundredths, separator))},
                                       {"whists", view(engine::formatGeneral(p.whists, separator))}});
    }
    json::object object{{"id", record.id}, {"date", view(record.date)}, {"note", view(sound(record.note))}};
    object["players"] = std::move(players);
    if (!record.correction.empty()) {
        object["correction"] = view(sound(record.correction));
    }
    object["version"] = view(sound(record.version));
    return (first ? "" : ",") + json::serialize(object);
}

std::string recordsClosing()
{
    return "]}\n";
}

std::string recordText(const Record &record, char separator)
{
    std::string text = "#" + std::to_string(record.id) + "  " + record.date;
    if (!record.note.empty()) {
        text += "  " + sound(record.note);
    }
    text += "\n";
    std::vector<std::vector<std::string>> rows;
    for (const auto &p : record.players) {
        rows.push_back({"  " + sound(p.name), signedAmount(p.hundredths, separator)});
    }
    return text + table(rows);
}

std::string standingsJson(const std::vector<Standing> &standings, char separator)
{
    json::array players;
    for (const Standing &s : standings) {
        players.push_back(json::object{{"name", view(sound(s.name))},
                                       {"games", s.games},
                                       {"hundredths", s.hundredths},
                                       {"amount", view(amount(s.hundredths, separator))},
                                       {"average", s.average},
                                       {"averageAmount", view(amount(s.average, separator))},
                                       {"best", s.best},
                                       {"bestAmount", view(amount(s.best, separator))},
                                       {"worst", s.worst},
                                       {"worstAmount", view(amount(s.worst, separator))}});
    }
    return line(json::object{{"players", std::move(players)}});
}

std::string standingsText(const std::vector<Standing> &standings, char separator)
{
    std::vector<std::vector<std::string>> rows{{"Игрок", "Пуль", "Итог", "В среднем", "Лучшая", "Худшая"}};
    for (const Standing &s : standings) {
        rows.push_back({sound(s.name), std::to_string(s.games), signedAmount(s.hundredths, separator),
                        signedAmount(s.average, separator), signedAmount(s.best, separator),
                        signedAmount(s.worst, separator)});
    }
    return table(rows);
}

std::string paymentsJson(const SeasonPayments &payments, char separator)
{
    json::array transfers;
    for (const auto &t : payments.transfers) {
        transfers.push_back(json::object{{"from", view(sound(t.from))},
                                         {"to", view(sound(t.to))},
                                         {"hundredths", t.hundredths},
                                         {"amount", view(amount(t.hundredths, separator))}});
    }
    return line(json::object{{"transfers", std::move(transfers)}, {"note", view(payments.note)}});
}

std::string paymentsText(const SeasonPayments &payments, char separator)
{
    std::string text;
    for (const auto &t : payments.transfers) {
        text += sound(t.from) + " → " + sound(t.to) + ": " + engine::moneyText(t.hundredths, separator) + "\n";
    }
    if (payments.transfers.empty()) {
        text += "Никто никому не платит.\n";
    }
    if (!payments.note.empty()) {
        text += payments.note + "\n";
    }
    return text;
}

std::string recordsCsvHeader()
{
    return csvRow({"id", "date", "note", "seat", "name", "player", "amount"});
}

std::string recordCsv(const Record &record, char separator)
{
    std::string rows;
    int seat = 0;
    for (const auto &p : record.players) {
        rows += csvRow({std::to_string(record.id), record.date, record.note, std::to_string(++seat), p.name, p.player,
                        amount(p.hundredths, separator)});
    }
    return rows;
}

std::string standingsCsv(const std::vector<Standing> &standings, char separator)
{
    std::string rows = csvRow({"player", "games", "total", "average", "best", "worst"});
    for (const Standing &s : standings) {
        rows += csvRow({s.name, std::to_string(s.games), amount(s.hundredths, separator), amount(s.average, separator),
                        amount(s.best, separator), amount(s.worst, separator)});
    }
    return rows;
}

} // namespace zelvara::cli::book
