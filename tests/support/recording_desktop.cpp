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

} // namespace zelvara::testing
