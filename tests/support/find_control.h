// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finds a control of a window by its objectName; a control that is not there ends the test at once,
// with its name, instead of a crash on a null pointer later.

#include <QObject>
#include <QString>
#include <QtGlobal>

namespace zelvara::testing {

template <typename T> T *findControl(const QObject &window, const QString &name)
{
    T *control = window.findChild<T *>(name);
    if (!control)
        qFatal("no control %s", qPrintable(name));
    return control;
}

} // namespace zelvara::testing
