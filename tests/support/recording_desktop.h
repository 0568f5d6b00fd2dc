// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A desktop for widget tests: it counts beeps, records the texts of message boxes instead of showing
// them (so a test can never hang on a modal box), records opened documents and measures text for real.

#include "platform/desktop.h"

#include <QSet>
#include <QStringList>

namespace zelvara::testing {

class RecordingDesktop final : public platform::Desktop
{
public:
    void beep() override
    {
        ++beeps;
        events << QStringLiteral("beep");
    }
    void showMessage(QWidget *parent, const QString &text) override;
    void openDocument(const QString &path) override
    {
        opened << path;
        events << QStringLiteral("open");
    }
    bool fileExists(const QString &path) const override { return existing.contains(path); }
    QString programFolder() const override { return folder; }
    QString settingsFilePath() const override { return settingsFile; }
    char decimalSeparator() const override { return separator; }
    int textWidth(const QString &text, const QFont &font) const override;

    void clear()
    {
        beeps = 0;
        messages.clear();
        opened.clear();
        events.clear();
    }

    int beeps = 0;
    QStringList messages;
    QStringList opened;
    // What happened, in order: "beep", "box", "open".
    QStringList events;
    QSet<QString> existing;
    QString folder = QStringLiteral("/opt/zelvara");
    // No settings file unless a test hands one in, so no test reads or writes the player's own.
    QString settingsFile;
    char separator = ',';
};

} // namespace zelvara::testing
