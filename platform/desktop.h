// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the windows need from the desktop and the operating system, behind one interface so that the
// widget tests can record beeps and messages instead of sounding and showing them.

#include <QString>
#include <QStringList>

class QFont;
class QMimeData;
class QWidget;

namespace zelvara::platform {

class Desktop
{
public:
    virtual ~Desktop() = default;

    // The system's default sound; returns at once.
    virtual void beep() = 0;
    // A modal box captioned with the application title and one "OK" button; returns when it is closed.
    virtual void showMessage(QWidget *parent, const QString &text) = 0;
    // The same box marked as an error, for a failure of the system rather than of the player's input.
    virtual void showError(QWidget *parent, const QString &text) { showMessage(parent, text); }
    // A modal box with the question and the buttons "Да" and "Нет"; true when the player answers "Да".
    // "Нет" is the default and the answer of Escape, so a hasty Enter keeps what is on the screen.
    virtual bool ask(QWidget *parent, const QString &question) = 0;
    // Puts `data` on the system clipboard, which takes it over.
    virtual void setClipboard(QMimeData *data) = 0;
    // Hands the file to the desktop shell to open with its associated application; the answer is not used.
    virtual void openDocument(const QString &path) = 0;
    // Whether a regular file (not a folder) is at the path.
    virtual bool fileExists(const QString &path) const = 0;
    // The folder of the running executable, without a trailing slash.
    virtual QString programFolder() const = 0;
    // Where the settings file is read at start and written at the end; empty keeps no settings at all.
    virtual QString settingsFilePath() const = 0;
    // The user's regional decimal separator: ',' or '.'.
    virtual char decimalSeparator() const = 0;
    // The width in pixels of `text` drawn in `font`.
    virtual int textWidth(const QString &text, const QFont &font) const = 0;
    // The file dialog for choosing one existing file, starting in `folder` and showing the files that
    // match `filter` ("Пуля Zelvara (*.zelvara)"). Empty when the player cancels.
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                                 const QString &filter) = 0;
    // The same dialog choosing any number of existing files; empty when the player cancels.
    virtual QStringList openFileNames(QWidget *parent, const QString &caption, const QString &folder,
                                      const QString &filter) = 0;
    // The file dialog for saving, proposing `proposedPath`. It asks before replacing a file, and a name
    // typed without an extension gets `defaultSuffix` ("zelvara"). Empty when the player cancels.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath,
                                 const QString &filter, const QString &defaultSuffix) = 0;
};

// The real desktop, through Qt.
class SystemDesktop final : public Desktop
{
public:
    void beep() override;
    void showMessage(QWidget *parent, const QString &text) override;
    void showError(QWidget *parent, const QString &text) override;
    bool ask(QWidget *parent, const QString &question) override;
    void setClipboard(QMimeData *data) override;
    void openDocument(const QString &path) override;
    bool fileExists(const QString &path) const override;
    QString programFolder() const override;
    QString settingsFilePath() const override;
    char decimalSeparator() const override;
    int textWidth(const QString &text, const QFont &font) const override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter) override;
    QStringList openFileNames(QWidget *parent, const QString &caption, const QString &folder,
                              const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath, const QString &filter,
                         const QString &defaultSuffix) override;
};

// The separator of a locale's decimal point text; anything other than a comma counts as a point, the
// only other form the sheet's numbers know.
char separatorOf(const QString &decimalPoint);

// The caption of every message box the program shows.
QString applicationTitle();

} // namespace zelvara::platform
