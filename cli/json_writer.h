// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes JSON text straight into a string, element by element, with no document built first: the
// output of zelvara-settle, byte for byte as nlohmann_json dumps the same document (UTF-8 unescaped,
// bytes that are not UTF-8 replaced by U+FFFD), compact or indented.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvara::cli {

class JsonWriter
{
public:
    // indent: spaces a level, or -1 for one compact line.
    JsonWriter(std::string &out, int indent);

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    // The name of the next member of the object being written.
    void key(std::string_view name);
    void value(std::string_view text);
    void value(const char *text) { value(std::string_view(text)); }
    void value(std::int64_t number);
    void value(std::uint64_t number);
    void value(int number) { value(static_cast<std::int64_t>(number)); }

private:
    void beforeElement();
    void open(char bracket);
    void close(char bracket);
    void newLine();

    struct Level
    {
        bool empty = true;
    };
    std::string &out_;
    int indent_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

} // namespace zelvara::cli
