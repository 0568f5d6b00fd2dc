// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/recording_desktop.h"

#include <QFontMetrics>

namespace zelvara::testing {

void RecordingDesktop::showMessage(QWidget *parent, const QString &text)
{
    Q_UNUSED(parent);
    messages << text;
    events << QStringLiteral("box");
}

int RecordingDesktop::textWidth(const QString &text, const QFont &font) const
{
    return QFontMetrics(font).horizontalAdvance(text);
}

QString RecordingDesktop::openFileName(QWidget *parent, const QString &caption, const QString &folder,
                                       const QString &filter)
{
    Q_UNUSED(parent);
    fileDialogs.append({caption, folder, filter});
    events << QStringLiteral("file dialog");
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

QString RecordingDesktop::saveFileName(QWidget *parent, const QString &caption, const QString &proposedPath,
                                       const QString &filter, const QString &defaultSuffix)
{
    Q_UNUSED(parent);
    Q_UNUSED(defaultSuffix);
    fileDialogs.append({caption, proposedPath, filter});
    events << QStringLiteral("file dialog");
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

} // namespace zelvara::testing
