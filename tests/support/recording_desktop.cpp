// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/recording_desktop.h"

#include <QFontMetrics>
#include <QMimeData>

#include <memory>

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

void RecordingDesktop::setClipboard(QMimeData *data)
{
    const std::unique_ptr<QMimeData> taken(data);
    clipboardText = taken->text();
    clipboardHtml = taken->html();
    events << QStringLiteral("clipboard");
}

QString RecordingDesktop::saveFileName(QWidget *parent, const QString &caption, const QString &suggested,
                                       const QString &filter)
{
    Q_UNUSED(parent);
    saveDialogs << caption + u'|' + suggested + u'|' + filter;
    events << QStringLiteral("save dialog");
    return saveAnswer;
}

} // namespace zelvara::testing
