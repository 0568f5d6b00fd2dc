// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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
// place. Values are UTF-8; lines may end in LF or CRLF; written lines read "key=value".
class IniDocument
{
public:
    IniDocument();
    ~IniDocument();
    IniDocument(const IniDocument &) = delete;
    IniDocument &operator=(const IniDocument &) = delete;

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

// The whole content of a file; nothing when it is missing or cannot be read.
std::optional<std::string> readFileBytes(const QString &path);

// Writes the bytes to a file descriptor; false on any failure. Tests hand in one that fails midway, as
// a full disk does; without one the bytes are written through the file.
using ChunkWriter = std::function<bool(int fd, std::string_view bytes)>;

// Replaces the file as a whole: the bytes go to a temporary file in the same folder, are flushed to
// the disk and renamed over the old file, so a crash or a full disk leaves the previous file intact.
// A link is written through. Creates the folder when missing. False when anything fails, and when the
// file is write-protected (its owner may not write it); no temporary file is left behind.
bool writeFileAtomically(const QString &path, std::string_view bytes, const ChunkWriter &writer = {});

// Turns the raw bytes of a file into UTF-8 text (for example from a legacy code page).
using TextDecoder = std::function<std::string(std::string_view bytes)>;

// Loads an INI file through the decoder; a missing file gives an empty document.
void loadIniFile(IniDocument &document, const QString &path, const TextDecoder &decode);

// Sets the entries in one section of the file as it is now on disk, keeping everything else, and
// writes it back atomically. False when the file cannot be written.
bool updateIniFile(const QString &path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>> &entries, const TextDecoder &decode,
                   const ChunkWriter &writer = {});

} // namespace zelvara::platform
