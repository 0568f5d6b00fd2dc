// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/whole_file.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvara::platform {

// An INI text held whole, so that rewriting a few keys leaves every other section, key and comment in
// place. Values are UTF-8; lines may end in LF or CRLF; written lines read "key=value". A NUL byte is no
// part of an INI text: it is dropped, and the text goes on after it.
class IniDocument
{
public:
    IniDocument();
    ~IniDocument();
    IniDocument(const IniDocument &) = delete;
    IniDocument &operator=(const IniDocument &) = delete;
    IniDocument(IniDocument &&) = delete;
    IniDocument &operator=(IniDocument &&) = delete;

    // Replaces the document by the given text; text that is not INI at all gives a document without keys.
    void load(std::string_view text);
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Creates the section or the key where missing, replaces the value where present.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    std::string text() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The largest settings file read: anything larger is a file that cannot be read.
inline constexpr std::size_t MaxIniFileBytes = std::size_t{1024} * 1024;

// Turns the raw bytes of a file into UTF-8 text (for example from a legacy code page).
using TextDecoder = std::function<std::string(std::string_view bytes)>;

// Loads an INI file through the decoder; a file that is missing or cannot be read (see readFileBytes; at
// most MaxIniFileBytes) gives an empty document.
void loadIniFile(IniDocument &document, const QString &path, const TextDecoder &decode);

// Sets the entries in one section of the file as it is now on disk, keeping everything else, and
// writes it back atomically, creating its folder when missing. False when the file cannot be written,
// when it is there but cannot be read (its keys would be lost), and when the new text would be larger
// than MaxIniFileBytes.
bool updateIniFile(const QString &path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>> &entries, const TextDecoder &decode,
                   const ChunkWriter &writer = {});

} // namespace zelvara::platform
