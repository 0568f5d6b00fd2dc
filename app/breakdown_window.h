// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/side_window.h"

#include <QStringList>

#include <memory>

namespace Ui {
class BreakdownWindow;
}

namespace zelvara::app {

// "Подробный расчёт": how the shown results came about, line by line, as the engine words it.
class BreakdownWindow : public SideWindow
{
    Q_OBJECT

public:
    explicit BreakdownWindow(QWidget *mainWindow);
    ~BreakdownWindow() override;
    Q_DISABLE_COPY_MOVE(BreakdownWindow)

    void showLines(const QStringList &lines);
    // Nothing to explain: `why` alone, the text disabled.
    void showNothing(const QString &why);

    QStringList lines() const;

private:
    std::unique_ptr<Ui::BreakdownWindow> m_ui;
};

} // namespace zelvara::app
