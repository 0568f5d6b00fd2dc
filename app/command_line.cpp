// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include "zelvara/version.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace zelvara::app {

CommandLine parseCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (const std::string &arg : arguments) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            // The first of --help and --version wins; neither looks further.
            return {CommandLine::Action::Help, {}, {}};
        } else if (!optionsEnded && arg == "--version") {
            return {CommandLine::Action::Version, {}, {}};
        } else if (!optionsEnded && arg.size() > 1 && arg.starts_with('-')) {
            return {CommandLine::Action::UsageError, {}, "unknown option \"" + arg + "\""};
        } else if (arg.empty()) {
            return {CommandLine::Action::UsageError, {}, "the file name is empty"};
        } else if (!line.file.empty()) {
            return {CommandLine::Action::UsageError, {}, "give one file only, not also \"" + arg + "\""};
        } else {
            line.file = arg;
        }
    }
    return line;
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

std::string absoluteFilePath(const std::string &file)
{
    if (file.empty() || file.starts_with('/'))
        return file;
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    if (!folder)
        return file;
    std::string path(folder.get());
    if (!path.ends_with('/'))
        path += '/';
    return path + file;
}

} // namespace zelvara::app
