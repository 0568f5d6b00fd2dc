// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a sheet file, and what the window needs around it: the whist value under the other decimal
// separator, and comparing two documents.
#include "sheetfile/sheet_file.h"

#include <nlohmann/json.hpp>
#include <tuple>

namespace zelvara::sheetfile {
namespace {

// Keys in the order a person reading the file expects them: what it is, then the options, then the
// fields sheet by sheet as the window lays them out.
using OrderedJson = nlohmann::ordered_json;

std::string gameTypeName(engine::GameType type)
{
    return type == engine::GameType::Leningrad ? "Leningrad" : "Sochi";
}

std::string heapDivisionName(engine::HeapDivision division, int players)
{
    switch (division) {
    case engine::HeapDivision::OnNPlayers:
        return "OnNPlayers";
    case engine::HeapDivision::OnNPlayersMinus1:
        // Two players never divide by one; the window shows that choice as "Не делится".
        return players == 2 ? "Nondivisible" : "OnNPlayersMinus1";
    case engine::HeapDivision::Nondivisible:
        break;
    }
    return "Nondivisible";
}

OrderedJson fieldTexts(const engine::SheetTexts &sheet)
{
    const int n = sheet.players;
    OrderedJson fields = OrderedJson::object();
    const auto put = [&](engine::FieldId field) { fields[engine::fieldName(field, n)] = sheet.text(field); };
    put({engine::FieldKind::WhistValue, 0, 0});
    for (const auto kind : {engine::FieldKind::Name, engine::FieldKind::Pool, engine::FieldKind::Heap}) {
        for (int player = 1; player <= n; ++player) {
            put({kind, player, 0});
        }
    }
    for (int player = 1; player <= n; ++player) {
        for (int other = 1; other <= n; ++other) {
            if (other != player) {
                put({engine::FieldKind::Whists, player, other});
            }
        }
    }
    return fields;
}

auto comparable(const SheetDocument &d)
{
    return std::tie(d.sheet.players, d.sheet.whistValue, d.sheet.names, d.sheet.pools, d.sheet.heaps, d.sheet.whists,
                    d.options.gameType, d.options.heapDivision, d.decimalSeparator, d.saved, d.note, d.answer);
}

} // namespace

bool operator==(const SheetDocument &a, const SheetDocument &b)
{
    return comparable(a) == comparable(b);
}

std::string writeSheet(const SheetDocument &document)
{
    const int players = document.sheet.players;
    OrderedJson out = OrderedJson::object();
    out["format"] = FormatName;
    out["version"] = FormatVersion;
    if (document.saved) {
        out["saved"] = *document.saved;
    }
    if (document.note) {
        out["note"] = *document.note;
    }
    out["players"] = players;
    out["gameType"] = gameTypeName(document.options.gameType);
    out["heapDivisibility"] = heapDivisionName(document.options.heapDivision, players);
    if (document.decimalSeparator) {
        out["decimalSeparator"] = std::string(1, *document.decimalSeparator);
    }
    out["fields"] = fieldTexts(document.sheet);
    if (document.answer) {
        out["answer"] = {{"button", document.answer->button == Button::OK ? "OK" : "Cancel"},
                         {"player", document.answer->player}};
    }
    // Texts from the window are UTF-8 already; a stray byte becomes U+FFFD rather than an unreadable file.
    return out.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

std::string convertDecimalSeparator(std::string_view text, char from, char to)
{
    std::string converted(text);
    if (from == to) {
        return converted;
    }
    for (char &c : converted) {
        if (c == from) {
            c = to;
        } else if (c == to) {
            c = from;
        }
    }
    return converted;
}

SheetDocument withDecimalSeparator(SheetDocument document, char userSeparator)
{
    if (document.decimalSeparator) {
        document.sheet.whistValue =
            convertDecimalSeparator(document.sheet.whistValue, *document.decimalSeparator, userSeparator);
    }
    document.decimalSeparator = userSeparator;
    return document;
}

} // namespace zelvara::sheetfile
