// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the program is asked to do on its command line: run (optionally opening one sheet file), or
// print its help or version and end. Settled with Qt Core alone, before any application object exists.

#include <QString>
#include <QStringList>

#include <string>

namespace zelvara::app {

struct CommandLine
{
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    QString file;        // the sheet file to open, as given; empty when none
    std::string problem; // what is wrong, for UsageError
};

// The arguments after the program name.
CommandLine parseCommandLine(const QStringList &arguments);

std::string helpText();
// "zelvara <version>\n", the version set in project().
std::string versionText();

// `file` made absolute against the working folder, so that a running copy elsewhere finds the same
// file. Nothing is resolved or checked: the file is opened, and its faults reported, later.
QString absoluteFilePath(const QString &file);

} // namespace zelvara::app
