// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/recording_desktop.h"

#include <QDialog>
#include <QFontMetrics>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

namespace zelvara::testing {

void RecordingDesktop::holdOpen(QWidget *parent)
{
    if (!modal)
        return;
    ++openNow;
    mostOpenAtOnce = std::max(mostOpenAtOnce, openNow);
    QDialog window(parent);
    window.setModal(true);
    // Posted after the events already waiting, and after whatever `whileOpen` posts: all of them are
    // delivered while the window is open, as they would be inside a real box.
    QTimer::singleShot(0, &window, [this, &window] {
        if (const std::function<void()> during = std::exchange(whileOpen, nullptr))
            during();
        QTimer::singleShot(0, &window, &QDialog::accept);
    });
    window.exec();
    --openNow;
}

void RecordingDesktop::showMessage(QWidget *parent, const QString &text)
{
    messages << text;
    events << QStringLiteral("box");
    holdOpen(parent);
}

bool RecordingDesktop::ask(QWidget *parent, const QString &question)
{
    questions << question;
    events << QStringLiteral("question");
    holdOpen(parent);
    return !answers.isEmpty() && answers.takeFirst();
}

void RecordingDesktop::setClipboard(QMimeData *data)
{
    const std::unique_ptr<QMimeData> taken(data);
    clipboardText = taken->text();
    clipboardHtml = taken->html();
    events << QStringLiteral("clipboard");
}

int RecordingDesktop::textWidth(const QString &text, const QFont &font) const
{
    return QFontMetrics(font).horizontalAdvance(text);
}

QString RecordingDesktop::openFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QString &filter)
{
    fileDialogs.append({caption, folder, filter});
    events << QStringLiteral("file dialog");
    holdOpen(parent);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QStringList RecordingDesktop::openFileNames(QWidget *parent, const QString &caption, const QString &folder,
                                            const QString &filter)
{
    const QString answer = openFileName(parent, caption, folder, filter);
    return answer.isEmpty() ? QStringList() : answer.split(u'\n');
}

QString RecordingDesktop::saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath,
                                       const QString &filter, const QString &defaultSuffix)
{
    Q_UNUSED(defaultSuffix);
    fileDialogs.append({caption, proposedPath, filter});
    events << QStringLiteral("file dialog");
    holdOpen(parent);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

} // namespace zelvara::testing
