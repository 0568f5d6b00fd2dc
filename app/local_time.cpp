// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/local_time.h"

#include <QDateTime>

namespace zelvara::app {

std::string localTimestamp()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

} // namespace zelvara::app
