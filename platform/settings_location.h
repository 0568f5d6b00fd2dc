// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <functional>

namespace zelvara::platform {

// Where the settings file is read and written: the program folder when the program may write there (a
// portable copy or a build tree), otherwise $XDG_CONFIG_HOME/zelvara, or ~/.config/zelvara without it.
QString settingsFilePath(const QString &programFolder,
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// The rules document: in the program folder, or for an installed copy in ../share/zelvara beside it.
// When neither has it, the program folder's path, so that the caller's check reports it missing.
QString rulesDocumentPath(const QString &programFolder, const std::function<bool(const QString &)> &exists);

} // namespace zelvara::platform
