// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/breakdown_window.h"

#include "ui_breakdown_window.h"

namespace zelvara::app {

BreakdownWindow::BreakdownWindow(QWidget *mainWindow)
    : SideWindow(mainWindow), m_ui(std::make_unique<Ui::BreakdownWindow>())
{
    m_ui->setupUi(this);
    connect(m_ui->Close1, &QPushButton::clicked, this, &QDialog::reject);
}

BreakdownWindow::~BreakdownWindow() = default;

void BreakdownWindow::showLines(const QStringList &lines)
{
    m_ui->Lines->setEnabled(true);
    m_ui->Lines->setPlainText(lines.join(u'\n'));
}

void BreakdownWindow::showNothing(const QString &why)
{
    m_ui->Lines->setPlainText(why);
    m_ui->Lines->setEnabled(false);
}

QStringList BreakdownWindow::lines() const
{
    return m_ui->Lines->toPlainText().split(u'\n');
}

} // namespace zelvara::app
