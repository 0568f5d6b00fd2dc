// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/json_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <nlohmann/json.hpp>

namespace zelvara::cli {
namespace {

// A string of ASCII is escaped here; one with other bytes goes through nlohmann_json, which checks
// them as UTF-8 and replaces what is broken, so both give the same text.
void appendString(std::string &out, std::string_view text)
{
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80U; })) {
        out += nlohmann::json(std::string(text)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        return;
    }
    out += '"';
    std::size_t plain = 0; // the start of the run of bytes that need no escape
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20U && byte != '"' && byte != '\\') {
            continue;
        }
        out.append(text, plain, i - plain);
        plain = i + 1;
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default: {
            constexpr std::string_view digits = "0123456789abcdef";
            out += "\\u00";
            out += digits[byte >> 4U];
            out += digits[byte & 0x0FU];
        }
        }
    }
    out.append(text, plain);
    out += '"';
}

template <typename Number> void appendNumber(std::string &out, Number number)
{
    std::array<char, 24> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    out.append(digits.data(), written.ptr);
}

} // namespace

JsonWriter::JsonWriter(std::string &out, int indent) : out_(out), indent_(indent) {}

void JsonWriter::newLine()
{
    if (indent_ >= 0) {
        out_ += '\n';
        out_.append(levels_.size() * static_cast<std::size_t>(indent_), ' ');
    }
}

// A member's value follows its key; an array's element is parted from the one before it.
void JsonWriter::beforeElement()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) {
        return;
    }
    if (!levels_.back().empty) {
        out_ += ',';
    }
    levels_.back().empty = false;
    newLine();
}

void JsonWriter::open(char bracket)
{
    beforeElement();
    out_ += bracket;
    levels_.push_back({});
}

void JsonWriter::close(char bracket)
{
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    if (!empty) {
        newLine();
    }
    out_ += bracket;
}

void JsonWriter::beginObject()
{
    open('{');
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray()
{
    open('[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::key(std::string_view name)
{
    beforeElement();
    appendString(out_, name);
    out_ += indent_ >= 0 ? ": " : ":";
    afterKey_ = true;
}

void JsonWriter::value(std::string_view text)
{
    beforeElement();
    appendString(out_, text);
}

void JsonWriter::value(std::int64_t number)
{
    beforeElement();
    appendNumber(out_, number);
}

void JsonWriter::value(std::uint64_t number)
{
    beforeElement();
    appendNumber(out_, number);
}

} // namespace zelvara::cli
