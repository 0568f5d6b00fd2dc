// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "zelvara/version.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>

using namespace Qt::StringLiterals;

namespace zelvara::app {

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption version(u"version"_s);
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(u"file"_s, {}, u"[FILE]"_s);
    // parse() needs no application object, unlike process(); the first argument is the program's name.
    const bool parsed = parser.parse(QStringList{u"zelvara"_s} + arguments);

    // Asking for help or the version gets it, whatever else the line holds; the first asked wins.
    for (const QString &name : parser.optionNames()) {
        if (help.names().contains(name))
            return {CommandLine::Action::Help, {}, {}};
        if (version.names().contains(name))
            return {CommandLine::Action::Version, {}, {}};
    }
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        const QString shown = (name.size() == 1 ? u"-"_s : u"--"_s) + name;
        return {CommandLine::Action::UsageError, {}, "unknown option \"" + shown.toStdString() + "\""};
    }
    if (!parsed)
        return {CommandLine::Action::UsageError, {}, parser.errorText().toStdString()};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return {
            CommandLine::Action::UsageError, {}, "give one file only, not also \"" + files.at(1).toStdString() + "\""};
    if (files.size() == 1 && files.constFirst().isEmpty())
        return {CommandLine::Action::UsageError, {}, "the file name is empty"};
    return {CommandLine::Action::Run, files.value(0), {}};
}

std::string helpText()
{
    return "Usage: zelvara [FILE]\n"
           "\n"
           "Settles a Preferans pool sheet in a window. With FILE, the program opens that sheet file\n"
           "(.zelvara). When the program is already running on this display, the running copy comes\n"
           "forward, opens FILE if one is given, and this start ends.\n"
           "\n"
           "  -h, --help  print this help and end\n"
           "  --version   print the version and end\n"
           "\n"
           "Exit status: 0 on success, 2 for bad usage.\n";
}

std::string versionText()
{
    return std::string("zelvara ") + Version + "\n";
}

QString absoluteFilePath(const QString &file)
{
    if (file.isEmpty() || file.startsWith(u'/'))
        return file;
    // The working folder as the system gives it, without tidying the name: "a/../b" stays as typed.
    QString folder = QDir::currentPath();
    if (folder.isEmpty())
        return file;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + file;
}

} // namespace zelvara::app
