// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/dialogs/confirm_of_change_dialog.h"

#include "ui_confirm_of_change.h"

namespace zelvara::correction {

TConfirmOfChange::TConfirmOfChange(QWidget *parent) : AnswerDialog(parent), ui(std::make_unique<Ui::TConfirmOfChange>())
{
    ui->setupUi(this);
    finishForm(QSize(409, 144), ui->OK, ui->Cancel);

    connect(ui->OK, &QPushButton::clicked, this, &TConfirmOfChange::OKClick);
    connect(ui->Cancel, &QPushButton::clicked, this, &TConfirmOfChange::CancelClick);
}

TConfirmOfChange::~TConfirmOfChange() = default;

void TConfirmOfChange::dressTexts()
{
    // The fixed lines size themselves to their text; the proposal lines do so when they are set.
    for (QLabel *line : {ui->StaticText1, ui->txt1, ui->txt2}) {
        line->adjustSize();
    }
}

void TConfirmOfChange::setProposal(const QString &line1, const QString &line2)
{
    ui->StaticText3->setText(line1);
    ui->StaticText3->adjustSize();
    ui->StaticText4->setText(line2);
    ui->StaticText4->adjustSize();
}

void TConfirmOfChange::OKClick()
{
    hide();
    emit confirmed();
}

void TConfirmOfChange::CancelClick()
{
    hide();
    emit declined();
}

} // namespace zelvara::correction
