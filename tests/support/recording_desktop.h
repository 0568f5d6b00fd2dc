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
    QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath, const QString &filter,
                         const QString &defaultSuffix) override;

    void clear()
    {
        beeps = 0;
        messages.clear();
        opened.clear();
        events.clear();
        fileDialogs.clear();
        fileAnswers.clear();
    }

    int beeps = 0;
    QStringList messages;
    QStringList opened;
    // What happened, in order: "beep", "box", "open", "file dialog".
    QStringList events;
    // One file dialog as it was asked for: the caption, where it starts (a folder, or the proposed path
    // when saving) and the filter.
    struct FileDialog
    {
        QString caption;
        QString start;
        QString filter;
    };
    QList<FileDialog> fileDialogs;
    // What the next file dialogs answer, first to last; with none left a dialog is cancelled.
    QStringList fileAnswers;
    QSet<QString> existing;
    QString folder = QStringLiteral("/opt/zelvara");
    // No settings file unless a test hands one in, so no test reads or writes the player's own.
    QString settingsFile;
    char separator = ',';
};

} // namespace zelvara::testing
