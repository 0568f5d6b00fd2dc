// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPluginLoader>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace zelvara::platform {

namespace {

bool trustedEntry(const QString &path, uid_t player, bool folder)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    if (folder ? !S_ISDIR(status.st_mode) : !S_ISREG(status.st_mode))
        return false;
    return (status.st_uid == player || status.st_uid == 0) && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QStringList moduleFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(ZELVARA_MODULE_DIR)))};
}

} // namespace

bool trustedCode(const QString &path, uid_t player)
{
    const QFileInfo file(path);
    return trustedEntry(file.absolutePath(), player, true) && trustedEntry(file.absoluteFilePath(), player, false);
}

QObject *loadModule(const QString &name, QString *problem)
{
    const QString fileName = u"lib"_s + name + u".so"_s;
    QString why = u"no module "_s + fileName;
    for (const QString &folder : moduleFolders()) {
        const QString path = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(path))
            continue;
        if (!trustedCode(path, ::getuid())) {
            why = path + u" may be changed by others and is not loaded"_s;
            continue;
        }
        // The loader keeps the library for the run; the same module asked for again comes back at once.
        QPluginLoader loader(path);
        if (QObject *root = loader.instance())
            return root;
        why = loader.errorString();
    }
    if (problem)
        *problem = why;
    return nullptr;
}

} // namespace zelvara::platform
