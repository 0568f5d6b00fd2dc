// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <functional>

namespace zelvara::platform {

// False in a build that never keeps the settings beside the program (the Debian package's): the
// installed program writes nothing into its installation folder, whoever runs it.
extern const bool SettingsBesideProgramBuilt;

// Whether the settings may live in the program folder (a portable copy, a build tree): the folder, taken
// as the system finds it (links resolved), is the player's own and no one else can change it:
// - it is a folder of the player's (the user the program runs as) that the player may write to, and that
//   neither its group nor others may write to;
// - every folder above it belongs to the player or to root, and neither group nor others may write to
//   it, unless it is sticky as /tmp is, where no one may rename or remove what another user owns;
// - it is no system folder: not the root folder, nor one under /usr, /opt, /bin, /sbin, /lib* or /etc,
//   where even root's own copy must not write.
// A group-writable folder is refused even when the group holds the player alone.
bool settingsBesideProgramAllowed(const QString &programFolder);

// Where the settings file is read and written: SETTINGS.INI in the program folder when this build and the
// folder allow it (the folder's path resolved), otherwise $XDG_CONFIG_HOME/zelvara, or ~/.config/zelvara
// without it. A relative XDG_CONFIG_HOME or HOME is ignored; without a usable HOME the home folder comes
// from the user database. Empty when there is no home folder at all.
QString settingsFilePath(const QString &programFolder,
                         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// The rules document: in the program folder, or for an installed copy in ../share/zelvara beside it.
// When neither has it, the program folder's path, so that the caller's check reports it missing.
QString rulesDocumentPath(const QString &programFolder, const std::function<bool(const QString &)> &exists);

} // namespace zelvara::platform
