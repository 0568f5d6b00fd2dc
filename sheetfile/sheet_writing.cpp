// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a sheet file, and what the window needs around it: the whist value under the other decimal
// separator, and comparing two documents.
#include "sheetfile/json_text.h"
#include "sheetfile/keys.h"
#include "sheetfile/sheet_file.h"

#include <boost/json/value.hpp>
#include <tuple>

namespace zelvara::sheetfile {
namespace {

namespace json = boost::json;

// A text of the sheet as the file holds it: texts from the window are UTF-8 already; a stray byte
// becomes U+FFFD rather than an unreadable file.
json::string_view textOf(const std::string &text, std::string &valid)
{
    valid = validUtf8(text);
    return {valid.data(), valid.size()};
}

json::string_view word(std::string_view name)
{
    return {name.data(), name.size()};
}

json::string_view heapDivisionName(engine::HeapDivision division, int players)
{
    return word(HeapDivisionNames.at(static_cast<std::size_t>(engine::effectiveDivision(division, players))));
}

// The fields sheet by sheet as the window lays them out.
json::object fieldTexts(const engine::SheetTexts &sheet)
{
    const int n = sheet.players;
    json::object fields;
    std::string valid;
    const auto put = [&](engine::FieldId field) {
        fields.emplace(engine::fieldName(field, n), textOf(sheet.text(field), valid));
    };
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
    // Keys in the order a person reading the file expects them: what it is, then the options, then the
    // fields; the table of keys keeps that order.
    json::object out;
    std::string valid;
    for (const KeyEntry &entry : Keys) {
        const json::string_view name = word(entry.name);
        switch (entry.key) {
        case Key::Format:
            out.emplace(name, word(FormatName));
            break;
        case Key::Version:
            out.emplace(name, FormatVersion);
            break;
        case Key::Saved:
            if (document.saved) {
                out.emplace(name, textOf(*document.saved, valid));
            }
            break;
        case Key::Note:
            if (document.note) {
                out.emplace(name, textOf(*document.note, valid));
            }
            break;
        case Key::Players:
            out.emplace(name, players);
            break;
        case Key::GameType:
            out.emplace(name, word(GameTypeNames.at(static_cast<std::size_t>(document.options.gameType))));
            break;
        case Key::HeapDivisibility:
            out.emplace(name, heapDivisionName(document.options.heapDivision, players));
            break;
        case Key::DecimalSeparator:
            if (document.decimalSeparator) {
                out.emplace(name, json::string_view(&*document.decimalSeparator, 1));
            }
            break;
        case Key::Fields:
            out.emplace(name, fieldTexts(document.sheet));
            break;
        case Key::Answer:
            if (document.answer) {
                const auto button = ButtonNames.at(static_cast<std::size_t>(document.answer->button));
                out.emplace(name, json::object{{word(AnswerKeys[0]), word(button)},
                                               {word(AnswerKeys[1]), document.answer->player}});
            }
            break;
        }
    }
    std::string text;
    appendPrettyJson(text, out);
    text += '\n';
    return text;
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
