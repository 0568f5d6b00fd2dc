// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheetfile/json_text.h"

#include "engine/utf8.h"
#include "sheetfile/sheet_file.h"

#include <algorithm>
#include <boost/json/serialize.hpp>
#include <boost/json/value.hpp>

namespace zelvara::sheetfile {
namespace {

namespace json = boost::json;

constexpr std::size_t IndentWidth = 2;

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

// The first `count` characters of the text, never cutting a character in two.
std::string_view leadingCharacters(std::string_view text, std::size_t count)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(text[i]) && characters++ == count) {
            return text.substr(0, i);
        }
    }
    return text;
}

void appendIndent(std::string &out, std::size_t level)
{
    out.append(level * IndentWidth, ' ');
}

// Boost.JSON 1.81 writes JSON on one line only. A sheet file is meant to be read by people as well, so
// this walk adds the line breaks and indentation around what serialize() writes for each key and
// scalar; it never encodes a string or a number itself.
void appendPretty(std::string &out, const json::value &value, std::size_t level)
{
    if (const json::object *members = value.if_object()) {
        if (members->empty()) {
            out += "{}";
            return;
        }
        out += '{';
        const char *separator = "\n";
        for (const json::key_value_pair &member : *members) {
            out += separator;
            separator = ",\n";
            appendIndent(out, level + 1);
            out += json::serialize(member.key());
            out += ": ";
            appendPretty(out, member.value(), level + 1);
        }
        out += '\n';
        appendIndent(out, level);
        out += '}';
        return;
    }
    if (const json::array *items = value.if_array()) {
        if (items->empty()) {
            out += "[]";
            return;
        }
        out += '[';
        const char *separator = "\n";
        for (const json::value &item : *items) {
            out += separator;
            separator = ",\n";
            appendIndent(out, level + 1);
            appendPretty(out, item, level + 1);
        }
        out += '\n';
        appendIndent(out, level);
        out += ']';
        return;
    }
    out += json::serialize(value);
}

} // namespace

void appendPrettyJson(std::string &out, const json::value &value)
{
    appendPretty(out, value, 0);
}

std::string visibleControls(std::string_view text)
{
    static constexpr std::string_view Hex = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        unsigned control = 0x100U; // none
        if (byte < 0x20U || byte == 0x7FU) {
            control = byte;
        } else if (byte == 0xC2U && i + 1 < text.size()) {
            // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80U && next <= 0x9FU) {
                control = next;
                ++i;
            }
        }
        if (control == 0x100U) {
            shown += text[i];
            continue;
        }
        shown += "\\u00";
        shown += Hex[control >> 4U];
        shown += Hex[control & 0x0FU];
    }
    return shown;
}

std::string excerpt(std::string_view text)
{
    const std::string_view lead = leadingCharacters(text, QuotedCharacters);
    std::string shown = visibleControls(validUtf8(lead));
    if (lead.size() < text.size()) {
        shown += "...";
    }
    return shown;
}

std::string quoted(std::string_view text)
{
    const std::string_view lead = leadingCharacters(text, QuotedCharacters);
    // serialize() writes the C0 controls as escapes already; DEL and the C1 controls it leaves as they are.
    std::string shown = visibleControls(json::serialize(json::string_view(validUtf8(lead))));
    if (lead.size() < text.size()) {
        shown += "...";
    }
    return shown;
}

std::string codePointName(char32_t character)
{
    static constexpr std::string_view Hex = "0123456789ABCDEF";
    std::string name = "U+";
    const int digits = character > 0xFFFFU ? 6 : 4;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        name += Hex[(character >> static_cast<unsigned>(shift)) & 0x0FU];
    }
    return name;
}

std::string validUtf8(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80U; })) {
        return std::string(text); // plain ASCII: nothing for iconv to look at
    }
    std::string valid;
    while (const auto bad = engine::firstInvalidUtf8(text)) {
        valid.append(text.substr(0, *bad));
        valid += "\uFFFD";
        text.remove_prefix(*bad + 1);
    }
    valid.append(text);
    return valid;
}

} // namespace zelvara::sheetfile
