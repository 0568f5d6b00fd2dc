// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/payments_window.h"

#include "ui_payments_window.h"

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

void fill(QListWidget *list, const QStringList &lines)
{
    list->clear();
    list->addItems(lines.isEmpty() ? QStringList{u"Никто никому не платит."_s} : lines);
    list->setCurrentRow(0);
}

QStringList linesOf(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

} // namespace

PaymentsWindow::PaymentsWindow(QWidget *mainWindow)
    : SideWindow(mainWindow), m_ui(std::make_unique<Ui::PaymentsWindow>())
{
    m_ui->setupUi(this);
    m_ui->RoundingNote->hide();
    connect(m_ui->Close1, &QPushButton::clicked, this, &QDialog::reject);
}

PaymentsWindow::~PaymentsWindow() = default;

void PaymentsWindow::showPayments(const QStringList &pairs, const QStringList &transfers, const QString &note)
{
    m_ui->Views->setEnabled(true);
    fill(m_ui->PairLines, pairs);
    fill(m_ui->TransferLines, transfers);
    m_ui->RoundingNote->setText(note);
    m_ui->RoundingNote->setVisible(!note.isEmpty());
}

void PaymentsWindow::showNothing(const QString &why)
{
    fill(m_ui->PairLines, {why});
    fill(m_ui->TransferLines, {why});
    m_ui->Views->setEnabled(false);
    m_ui->RoundingNote->clear();
    m_ui->RoundingNote->hide();
}

QStringList PaymentsWindow::pairLines() const
{
    return linesOf(m_ui->PairLines);
}

QStringList PaymentsWindow::transferLines() const
{
    return linesOf(m_ui->TransferLines);
}

QString PaymentsWindow::note() const
{
    return m_ui->RoundingNote->isHidden() ? QString() : m_ui->RoundingNote->text();
}

} // namespace zelvara::app
