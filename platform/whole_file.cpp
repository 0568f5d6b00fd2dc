// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/whole_file.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// Both functions are written with system calls rather than QFile and QSaveFile. QFile cannot look at a
// file before it opens it, nor open it without waiting. QSaveFile follows a link at the file's name on its
// own when it opens, after any check made here, so a link planted in between would be written through;
// here the name is checked, written and renamed through one open folder, and a rename never follows a link.

namespace zelvara::platform {

namespace {

// As many links in a row as the kernel follows before it gives up.
constexpr int MaxLinks = 40;
// The temporary file's name keeps the start of the file's name, within the system's name limit.
constexpr std::size_t KeptNameBytes = 200;
constexpr std::size_t FirstReadBytes = std::size_t{64} * 1024;

// A file descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    Descriptor(Descriptor &&) = delete;
    Descriptor &operator=(Descriptor &&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now; false when the close reports a write that failed late (as a network file system may).
    bool close() { return ::close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string nameOf(const std::string &path)
{
    return path.substr(path.rfind('/') + 1);
}

// Where the bytes for `path` (absolute) go. The player's links are followed, also to a file that is not
// there yet; a link that belongs to anyone else ends the search with nothing, as does anything but a
// regular file or a missing one. Only the name's own links are looked at: the folders above it are the
// ones the player chose to write in.
std::optional<std::string> writeTarget(std::string path)
{
    for (int links = 0; links <= MaxLinks; ++links) {
        struct stat entry
        {};
        if (::lstat(path.c_str(), &entry) != 0)
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        if (!S_ISLNK(entry.st_mode))
            return S_ISREG(entry.st_mode) ? std::optional(path) : std::nullopt;
        // The owner of the files the program writes: the user the program runs as.
        if (entry.st_uid != ::geteuid())
            return std::nullopt;
        std::string target(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), target.data(), target.size());
        if (size <= 0 || size >= PATH_MAX)
            return std::nullopt;
        target.resize(static_cast<std::size_t>(size));
        if (target.front() != '/')
            target.insert(0, folderOf(path) + '/');
        path = std::move(target);
    }
    return std::nullopt;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        // A file size limit or a full disk: the call fails (the program ignores SIGXFSZ), or writes
        // part of the bytes and fails at the next call.
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string temporaryName(const std::string &name)
{
    return '.' + name.substr(0, KeptNameBytes) + '.' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36).toStdString();
}

} // namespace

std::optional<std::string> readFileBytes(const QString &path, std::size_t maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    const auto tooLarge = [maxBytes](off_t size) { return size < 0 || static_cast<std::uintmax_t>(size) > maxBytes; };
    struct stat info
    {};
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode) || tooLarge(info.st_size))
        return std::nullopt;
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): open() takes an optional mode this way
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    // What was opened is looked at again: the name may have been given to something else in between.
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;

    // Read to the end, but never more than one byte past the limit: the file may have grown.
    std::string bytes(std::min(static_cast<std::size_t>(info.st_size), maxBytes) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) {
            if (size > maxBytes)
                return std::nullopt;
            bytes.resize(std::min(std::max(size * 2, FirstReadBytes), maxBytes + 1));
        }
        const ssize_t got = ::read(file.get(), bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return bytes;
}

bool writeFileAtomically(const QString &path, std::string_view bytes, MissingFolder missingFolder,
                         const ChunkWriter &writer)
{
    // The path is taken as the system takes it: "link/.." is where the link leads, so it is not cleaned.
    std::string absolute = QFile::encodeName(path).toStdString();
    if (absolute.empty())
        return false;
    if (absolute.front() != '/')
        absolute = QFile::encodeName(QDir::currentPath()).toStdString() + '/' + absolute;
    const auto target = writeTarget(absolute);
    if (!target)
        return false;
    const std::string folder = folderOf(*target);
    const std::string name = nameOf(*target);
    if (missingFolder == MissingFolder::Create && !QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(folder))))
        return false;

    // From here on everything goes through the folder's descriptor: the name is checked, the temporary
    // file written and renamed in the one folder that was opened, whatever happens to the path meanwhile.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): open() takes an optional mode this way
    const Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.valid())
        return false;
    struct stat existing
    {};
    const bool exists = ::fstatat(directory.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return false;
    // A link found now came after the search above: it is refused, whoever owns it.
    if (exists && (!S_ISREG(existing.st_mode) || (existing.st_mode & S_IWUSR) == 0 ||
                   ::faccessat(directory.get(), name.c_str(), W_OK, AT_EACCESS) != 0))
        return false;

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = temporaryName(name);
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): openat() takes the mode of a new file this way
        fd = ::openat(directory.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    Descriptor file(fd);
    if (!file.valid())
        return false;
    // A new file gets the permissions the user's umask leaves; a replaced one keeps its own.
    const bool replaced = (!exists || ::fchmod(file.get(), existing.st_mode & 0777) == 0) &&
                          (writer ? writer(file.get(), bytes) : writeAll(file.get(), bytes)) &&
                          ::fsync(file.get()) == 0 && file.close() &&
                          ::renameat(directory.get(), temporary.c_str(), directory.get(), name.c_str()) == 0;
    if (!replaced) {
        ::unlinkat(directory.get(), temporary.c_str(), 0);
        return false;
    }
    // The rename itself reaches the disk with the folder.
    ::fsync(directory.get());
    return true;
}

} // namespace zelvara::platform
