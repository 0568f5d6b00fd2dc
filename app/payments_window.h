// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/side_window.h"

#include <QStringList>

#include <memory>

namespace Ui {
class PaymentsWindow;
}

namespace zelvara::app {

// "Кто кому платит": the payments behind the shown results in two views, pair by pair and by the
// fewest transfers, one line per payment, with the note on what was rounded. It shows what it is
// given; the arithmetic is the engine's.
class PaymentsWindow : public SideWindow
{
    Q_OBJECT

public:
    explicit PaymentsWindow(QWidget *mainWindow);
    ~PaymentsWindow() override;
    Q_DISABLE_COPY_MOVE(PaymentsWindow)

    // The lines of the two views; an empty view says that nobody pays. An empty note hides it.
    void showPayments(const QStringList &pairs, const QStringList &transfers, const QString &note);
    // No payments to show: `why` in both views, which are then disabled.
    void showNothing(const QString &why);

    QStringList pairLines() const;
    QStringList transferLines() const;
    QString note() const;

private:
    std::unique_ptr<Ui::PaymentsWindow> m_ui;
};

} // namespace zelvara::app
