// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace zelvara::platform {

// The build says whether the program folder may hold the settings at all (ZELVARA_SETTINGS_BESIDE_PROGRAM).
const bool SettingsBesideProgramBuilt = ZELVARA_SETTINGS_BESIDE_PROGRAM != 0;

namespace {

const QString SettingsFileName = u"SETTINGS.INI"_s;
const QString RulesDocumentName = u"Preference_rules.docx"_s;
constexpr long FallbackUserEntrySize = 16384;

// Folders of the system: an unpacked copy in one of them keeps its settings elsewhere, whoever runs it.
bool systemFolder(const QString &canonical)
{
    if (canonical == u"/")
        return true;
    const QString top = canonical.section(u'/', 1, 1);
    return top == u"usr" || top == u"opt" || top == u"bin" || top == u"sbin" || top == u"etc" || top.startsWith(u"lib");
}

// A folder the player owns and may write, and no one else may write.
bool playersOwnFolder(const struct stat &folder, uid_t player)
{
    return S_ISDIR(folder.st_mode) && folder.st_uid == player && (folder.st_mode & S_IWUSR) != 0 &&
           (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A folder above it, in which no one but the player and root can rename or replace what it holds.
bool safeFolderAbove(const struct stat &folder, uid_t player)
{
    return S_ISDIR(folder.st_mode) && (folder.st_uid == player || folder.st_uid == 0) &&
           ((folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (folder.st_mode & S_ISVTX) != 0);
}

// The program folder's resolved path when it may hold the settings, otherwise empty. The folder is taken
// as the system finds it: a link on the way is followed, and the folder it leads to is what is checked,
// with every folder above that one, and what is used.
QString privateProgramFolder(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return {};
    QString canonical = QFileInfo(programFolder).canonicalFilePath();
    if (canonical.isEmpty() || systemFolder(canonical))
        return {};
    // The owner of the files the program writes: the user the program runs as.
    const uid_t player = ::geteuid();
    QByteArray path = QFile::encodeName(canonical);
    struct stat folder
    {};
    if (::lstat(path.constData(), &folder) != 0 || !playersOwnFolder(folder, player) ||
        ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0)
        return {};
    while (path != "/") {
        const auto slash = path.lastIndexOf('/');
        path.truncate(slash > 0 ? slash : 1);
        if (::lstat(path.constData(), &folder) != 0 || !safeFolderAbove(folder, player))
            return {};
    }
    return canonical;
}

// HOME when it is an absolute path, otherwise the home folder the user database gives; empty without one.
QString homeFolder(const QProcessEnvironment &environment)
{
    QString home = environment.value(u"HOME"_s);
    if (!home.isEmpty() && !QDir::isRelativePath(home))
        return home;
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : FallbackUserEntrySize));
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr)
        return {};
    const QString fromDatabase = QFile::decodeName(found->pw_dir);
    return fromDatabase.isEmpty() || QDir::isRelativePath(fromDatabase) ? QString() : fromDatabase;
}

} // namespace

bool settingsBesideProgramAllowed(const QString &programFolder)
{
    return !privateProgramFolder(programFolder).isEmpty();
}

QString settingsFilePath(const QString &programFolder, const QProcessEnvironment &environment)
{
    if (SettingsBesideProgramBuilt) {
        const QString folder = privateProgramFolder(programFolder);
        if (!folder.isEmpty())
            return QDir(folder).filePath(SettingsFileName);
    }

    // QStandardPaths gives these folders too, but Qt 6.4 takes a relative XDG_CONFIG_HOME or HOME as it
    // is (the XDG base directory rules say to ignore it), makes "/" of an empty HOME, and reads only the
    // process's own environment; so the rule is written out here.
    QString configHome = environment.value(u"XDG_CONFIG_HOME"_s);
    if (configHome.isEmpty() || QDir::isRelativePath(configHome)) {
        const QString home = homeFolder(environment);
        if (home.isEmpty())
            return {};
        configHome = QDir(home).filePath(u".config"_s);
    }
    return QDir(configHome).filePath(u"zelvara/"_s + SettingsFileName);
}

QString rulesDocumentPath(const QString &programFolder, const std::function<bool(const QString &)> &exists)
{
    const QDir folder(programFolder);
    QString beside = folder.filePath(RulesDocumentName);
    if (exists(beside))
        return beside;
    QString installed = QDir::cleanPath(folder.filePath(u"../share/zelvara/"_s + RulesDocumentName));
    if (exists(installed))
        return installed;
    return beside;
}

} // namespace zelvara::platform
