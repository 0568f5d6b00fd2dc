// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "correction/dialogs/answer_dialog.h"

#include <memory>

namespace Ui {
class TConfirmOfChange;
}

namespace zelvara::correction {

// The confirmed correction ("Zelvara"): states in words the heap correction that keeps every share
// whole and lets the player accept or decline it. The proposal lines are given to it; the main window
// keeps the proposal itself and applies the answer.
class TConfirmOfChange : public AnswerDialog
{
    Q_OBJECT

public:
    explicit TConfirmOfChange(QWidget *parent = nullptr);
    ~TConfirmOfChange() override;

    // The two lines that complete the first sentence; the second is empty for most proposals.
    void setProposal(const QString &line1, const QString &line2);

signals:
    // "OK"; the dialog is already hidden.
    void confirmed();
    // "Отмена"; the dialog is already hidden.
    void declined();

protected:
    void dressTexts() override;

private:
    void OKClick();
    void CancelClick();

    std::unique_ptr<Ui::TConfirmOfChange> ui;
};

} // namespace zelvara::correction
