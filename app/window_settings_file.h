// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's settings file: read into the window before it is first shown, written from it
// once the event loop has ended. Where the file lives is decided once, when it is read.

#include <QString>

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::app {

class TZelvara;

class WindowSettingsFile
{
public:
    explicit WindowSettingsFile(platform::Desktop &desktop) : m_desktop(desktop) {}

    // The options, the player count, the whist values and the names the file holds, within the limits
    // the window keeps; a missing file leaves the window as designed.
    void read(TZelvara &window);
    // Every key from the window as it stands; a file that cannot be written is reported in an error box.
    void write(const TZelvara &window);

private:
    platform::Desktop &m_desktop;
    QString m_path;
};

} // namespace zelvara::app
