// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A desktop for widget tests: it counts beeps, records the texts of message boxes instead of showing
// them (so a test can never hang on a modal box), answers questions and file dialogs from lists, records
// opened documents and measures text for real.
//
// With `modal` set, each box, question and file dialog is also a real modal window while it is "open":
// the program's event loop runs inside it, as inside a real box, until the posted events are through,
// and then it closes itself. A test sees what the program does while one is open, and how many are
// open at once.

#include "platform/desktop.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>

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
    bool ask(QWidget *parent, const QString &question) override;
    void setClipboard(QMimeData *data) override;
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
    // Takes one answer of fileAnswers: the files it names, one a line.
    QStringList openFileNames(QWidget *parent, const QString &caption, const QString &folder,
                              const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath, const QString &filter,
                         const QString &defaultSuffix) override;

    void clear()
    {
        beeps = 0;
        clipboardText.clear();
        clipboardHtml.clear();
        messages.clear();
        opened.clear();
        events.clear();
        fileDialogs.clear();
        fileAnswers.clear();
        questions.clear();
        answers.clear();
        modal = false;
        whileOpen = nullptr;
        mostOpenAtOnce = 0;
    }

    int beeps = 0;
    QStringList messages;
    QStringList opened;
    // What happened, in order: "beep", "box", "question", "open", "file dialog".
    QStringList events;
    // The questions asked, and what the next ones answer ("Да" is true), first to last; with none left a
    // question is answered "Нет".
    QStringList questions;
    QList<bool> answers;
    // See the top of the file. `whileOpen` runs once, inside the next window that opens.
    bool modal = false;
    std::function<void()> whileOpen;
    int openNow = 0;
    int mostOpenAtOnce = 0;
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
    // The clipboard's plain text and HTML as the program last put them there ("clipboard" in events).
    QString clipboardText;
    QString clipboardHtml;

private:
    void holdOpen(QWidget *parent);
};

} // namespace zelvara::testing
