// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files read and written whole: the settings file and the sheet files. A read takes only a regular file
// of bounded size and never waits; a write replaces the file as a whole and never goes through a link
// that belongs to someone else.

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zelvara::platform {

// The whole content of a regular file of at most `maxBytes` bytes, links followed. Nothing when the file
// is missing, cannot be read or is larger, and when it is anything but a regular file (a folder, a FIFO,
// a device): such a file is not even opened, since opening a FIFO waits for a writer.
std::optional<std::string> readFileBytes(const QString &path, std::size_t maxBytes);

// Writes the bytes to a file descriptor; false on any failure. Tests hand in one that fails midway, as
// a full disk does; without one the bytes are written through the file.
using ChunkWriter = std::function<bool(int fd, std::string_view bytes)>;

// What a write does when the file's folder is not there.
enum class MissingFolder {
    Fail,
    Create,
};

// Replaces the file as a whole: the bytes go to a temporary file in the same folder, are flushed to the
// disk and renamed over the old file, so a crash, a full disk or a file size limit leaves the previous
// file intact, and no temporary file is left behind. False when anything fails, and it writes nothing:
// - through a link that belongs to another user (the player's own links are followed, a dangling one
//   to the file it names);
// - over anything but a regular file (a folder, a FIFO, a device);
// - over a write-protected file (one its owner may not write), even for a user the system would let
//   through (root), as a file with the read-only attribute is kept on Windows.
bool writeFileAtomically(const QString &path, std::string_view bytes, MissingFolder missingFolder = MissingFolder::Fail,
                         const ChunkWriter &writer = {});

} // namespace zelvara::platform
