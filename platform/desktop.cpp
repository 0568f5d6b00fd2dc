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
#include <QRegularExpression>
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

void showBox(QWidget *parent, const QString &text, QMessageBox::Icon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(applicationTitle());
    box.setIcon(icon);
    box.setText(text);
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

void SystemDesktop::setClipboard(QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

QString SystemDesktop::saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                                    const QString &filter)
{
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the filter's, and the dialog asks before that file is
    // overwritten, not only before the name as typed is.
    static const QRegularExpression extension(u"\\*\\.(\\w+)"_s);
    if (const QRegularExpressionMatch match = extension.match(filter); match.hasMatch())
        dialog.setDefaultSuffix(match.captured(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace zelvara::platform
