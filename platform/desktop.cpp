// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop.h"

#include "platform/settings_location.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace zelvara::platform {

QString applicationTitle()
{
    return u"Zelvara"_s;
}

char separatorOf(const QString &decimalPoint)
{
    return decimalPoint == u","_s ? ',' : '.';
}

void SystemDesktop::beep()
{
    QApplication::beep();
}

namespace {

// What every box of the program shares: its caption, its icon and its text, always plain. Messages quote
// names, paths and keys from files: left to guess, the box would take such a text for HTML, load the
// pictures it names (/dev/zero, until memory runs out) and draw its links.
void dress(QMessageBox &box, const QString &text, QMessageBox::Icon icon)
{
    box.setWindowTitle(applicationTitle());
    box.setIcon(icon);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

void showBox(QWidget *parent, const QString &text, QMessageBox::Icon icon)
{
    QMessageBox box(parent);
    dress(box, text, icon);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    // Qt's Russian catalogue renames the standard button; the program's box keeps its own "OK".
    ok->setText(u"OK"_s);
    box.setDefaultButton(ok);
    box.exec();
}

} // namespace

void SystemDesktop::showMessage(QWidget *parent, const QString &text)
{
    showBox(parent, text, QMessageBox::NoIcon);
}

void SystemDesktop::showError(QWidget *parent, const QString &text)
{
    showBox(parent, text, QMessageBox::Critical);
}

bool SystemDesktop::ask(QWidget *parent, const QString &question)
{
    QMessageBox box(parent);
    dress(box, question, QMessageBox::Question);
    // The program's own texts, without the access keys Qt's catalogue would add.
    QPushButton *yes = box.addButton(u"Да"_s, QMessageBox::YesRole);
    QPushButton *no = box.addButton(u"Нет"_s, QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void SystemDesktop::setClipboard(QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

void SystemDesktop::openDocument(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool SystemDesktop::fileExists(const QString &path) const
{
    // A folder by the document's name is no document: the player is told it is missing.
    return QFileInfo(path).isFile();
}

QString SystemDesktop::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

QString SystemDesktop::settingsFilePath() const
{
    return platform::settingsFilePath(programFolder());
}

char SystemDesktop::decimalSeparator() const
{
    return separatorOf(QLocale::system().decimalPoint());
}

int SystemDesktop::textWidth(const QString &text, const QFont &font) const
{
    return QFontMetrics(font).horizontalAdvance(text);
}

QString SystemDesktop::openFileName(QWidget *parent, const QString &caption, const QString &folder,
                                    const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QStringList SystemDesktop::openFileNames(QWidget *parent, const QString &caption, const QString &folder,
                                         const QString &filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
}

QString SystemDesktop::saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath,
                                    const QString &filter, const QString &defaultSuffix)
{
    // The static function adds no extension to a typed name, and its question about replacing a file
    // would then be asked about the wrong name: a dialog of our own adds the extension first.
    QFileDialog dialog(parent, caption, proposedPath, filter);
    dialog.setObjectName(u"SaveFileDialog"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace zelvara::platform
