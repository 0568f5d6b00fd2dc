// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Parts of the program that most runs never use live in modules of their own, shared libraries loaded
// the first time they are needed: printing with its dialogs, the club book with its database and charts.
// Starting the program loads none of their libraries.
//
// A module is looked for beside the program (a build tree or an unpacked copy), then where the package
// installs modules (../lib/<triplet>/zelvara from the program's folder). Code is only ever loaded from
// a folder and a file that belong to the player or to root and that nobody else may change: a module
// planted in a shared folder is never run.

#include <QObject>
#include <QString>

#include <sys/types.h>

namespace zelvara::platform {

// Whether code at `path` may be loaded: the file and its folder belong to `player` or to root, are no
// links, and neither the group nor others may write them.
bool trustedCode(const QString &path, uid_t player);

// The module's root object (its Q_PLUGIN_METADATA instance), loaded once and kept for the run; nothing,
// with the reason in `problem`, when no trusted module of that name can be loaded. `name` is the
// library's base name, e.g. "zelvara_print" for libzelvara_print.so.
QObject *loadModule(const QString &name, QString *problem = nullptr);

} // namespace zelvara::platform
