// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_location.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace zelvara::platform {

namespace {

const QString SettingsFileName = QStringLiteral("SETTINGS.INI");
const QString RulesDocumentName = QStringLiteral("Preference_rules.docx");

bool writableFolder(const QString &folder)
{
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

} // namespace

QString settingsFilePath(const QString &programFolder, const QProcessEnvironment &environment)
{
    if (writableFolder(programFolder))
        return QDir(programFolder).filePath(SettingsFileName);

    // A relative XDG_CONFIG_HOME is ignored, as the XDG base directory rules require.
    QString configHome = environment.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (configHome.isEmpty() || QDir::isRelativePath(configHome)) {
        QString home = environment.value(QStringLiteral("HOME"));
        if (home.isEmpty())
            home = QDir::homePath();
        configHome = QDir(home).filePath(QStringLiteral(".config"));
    }
    return QDir(configHome).filePath(QStringLiteral("zelvara/") + SettingsFileName);
}

QString rulesDocumentPath(const QString &programFolder, const std::function<bool(const QString &)> &exists)
{
    const QDir folder(programFolder);
    const QString beside = folder.filePath(RulesDocumentName);
    if (exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(folder.filePath(QStringLiteral("../share/zelvara/") + RulesDocumentName));
    if (exists(installed))
        return installed;
    return beside;
}

} // namespace zelvara::platform
