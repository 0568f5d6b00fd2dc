// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ini_file.h"

#include <QFileInfo>

// The build defines SI_CONVERT_ICU, which this SimpleIni needs to compile.
#include <SimpleIni.h>

namespace zelvara::platform {

namespace {

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= ' ')
        line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
        line.remove_suffix(1);
    return line;
}

// SimpleIni keeps a comment only when a section or a key follows it; the comments that close the file
// are kept here and written back after everything else. Lines end where the INI reader ends them, at a
// CR as well as at an LF: a key behind a lone CR is a key, not part of a comment.
std::vector<std::string> closingComments(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        lines.emplace_back(trimmed(text.substr(0, end)));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    std::size_t first = lines.size();
    while (first > 0) {
        const std::string &line = lines[first - 1];
        if (!line.empty() && line.front() != ';' && line.front() != '#')
            break;
        --first;
    }
    std::vector<std::string> comments;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (!lines[i].empty())
            comments.push_back(lines[i]);
    }
    return comments;
}

} // namespace

struct IniDocument::Private
{
    CSimpleIniA ini{true, false, false};
    std::vector<std::string> closingComments;
};

IniDocument::IniDocument() : d(std::make_unique<Private>())
{
    d->ini.SetSpaces(false);
    d->ini.SetQuotes(true);
}

IniDocument::~IniDocument() = default;

void IniDocument::load(std::string_view text)
{
    d->ini.Reset();
    d->closingComments.clear();
    // SimpleIni reads a C string and would stop at a NUL, and a rewrite would then drop whatever follows.
    std::string clean(text);
    std::erase(clean, '\0');
    if (d->ini.LoadData(clean.data(), clean.size()) < 0) {
        d->ini.Reset();
        return;
    }
    d->closingComments = closingComments(clean);
}

namespace {

bool isQuoted(std::string_view value)
{
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

} // namespace

// A value read from an INI file loses the blanks around it, and one pair of double quotes around it is
// taken off, as INI readers on Windows do. SimpleIni quotes a value with blanks at either end itself;
// a value that is itself in quotes gets one more pair here, so it too comes back unchanged.
std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    const char *found = d->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
    if (found == nullptr)
        return std::nullopt;
    return std::string(found);
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string stored = isQuoted(value) ? '"' + std::string(value) + '"' : std::string(value);
    d->ini.SetValue(std::string(section).c_str(), std::string(key).c_str(), stored.c_str());
}

std::string IniDocument::text() const
{
    std::string out;
    d->ini.Save(out, false);
    if (!d->closingComments.empty()) {
        out += '\n';
        for (const std::string &comment : d->closingComments)
            out += comment + '\n';
    }
    return out;
}

void loadIniFile(IniDocument &document, const QString &path, const TextDecoder &decode)
{
    const auto bytes = readFileBytes(path, MaxIniFileBytes);
    document.load(bytes ? decode(*bytes) : std::string());
}

bool updateIniFile(const QString &path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>> &entries, const TextDecoder &decode,
                   const ChunkWriter &writer)
{
    // A file that is there but cannot be read is not overwritten: its keys would be lost. This covers
    // what is no file at all (a FIFO, a device), which the write would otherwise replace.
    const auto bytes = readFileBytes(path, MaxIniFileBytes);
    if (!bytes && QFileInfo::exists(path))
        return false;
    IniDocument document;
    document.load(bytes ? decode(*bytes) : std::string());
    for (const auto &[key, value] : entries)
        document.setValue(section, key, value);
    // A file is never written larger than it is read: the next start would find it unreadable, and keep
    // it so for good.
    const std::string text = document.text();
    return text.size() <= MaxIniFileBytes && writeFileAtomically(path, text, MissingFolder::Create, writer);
}

} // namespace zelvara::platform
