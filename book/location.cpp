// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/location.h"

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <ranges>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zelvara::book {

namespace {

bool absolute(const char *path)
{
    return path != nullptr && path[0] == '/';
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A link that another user owns could be turned to any file of ours; our own links we follow.
bool foreign(const std::string &path)
{
    struct stat info
    {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && info.st_uid != ::geteuid();
}

} // namespace

std::string defaultBookPath(const char *xdgDataHome, const char *home)
{
    std::string dataHome;
    if (absolute(xdgDataHome)) {
        dataHome = xdgDataHome;
    } else {
        std::string homeFolder;
        if (absolute(home)) {
            homeFolder = home;
        } else {
            // getpwuid_r with a buffer of its own: the book may be opened from more than one thread.
            std::vector<char> buffer(16384);
            passwd entry{};
            passwd *found = nullptr;
            if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
                absolute(found->pw_dir)) {
                homeFolder = found->pw_dir;
            } else {
                homeFolder = "/";
            }
        }
        dataHome = homeFolder + (homeFolder.ends_with('/') ? "" : "/") + ".local/share";
    }
    return dataHome + (dataHome.ends_with('/') ? "" : "/") + "zelvara/book.sqlite";
}

std::optional<std::string> foreignLink(const std::string &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) {
        if (foreign(path + suffix)) {
            return "\"" + path + suffix + "\" is a symbolic link that belongs to another user";
        }
    }
    const std::string folder = folderOf(path);
    if (foreign(folder)) {
        return "the folder \"" + folder + "\" is a symbolic link that belongs to another user";
    }
    return std::nullopt;
}

std::optional<std::string> makeFolder(const std::string &path)
{
    const std::string folder = folderOf(path);
    std::vector<std::string> missing;
    for (std::string f = folder; f != "/" && f != ".";) {
        struct stat info
        {};
        if (::stat(f.c_str(), &info) == 0) {
            break;
        }
        missing.push_back(f);
        f = folderOf(f);
    }
    // From the outermost folder in.
    for (std::size_t i = missing.size(); i-- > 0;) {
        if (::mkdir(missing[i].c_str(), S_IRWXU) != 0 && errno != EEXIST) {
            return "cannot create the folder \"" + missing[i] + "\": " + std::strerror(errno);
        }
    }
    return std::nullopt;
}

} // namespace zelvara::book
