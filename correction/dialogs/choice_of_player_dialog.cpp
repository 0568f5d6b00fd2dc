// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/dialogs/choice_of_player_dialog.h"

#include "ui_choice_of_player.h"
#include "widgets/window_look.h"

#include <QFont>

#include <array>

namespace zelvara::correction {

namespace {

constexpr int GroupWidth = 281;
constexpr int GroupHeightFor4 = 161;
constexpr int GroupHeightFor3 = 129;

} // namespace

TChoiceOfPlayer::TChoiceOfPlayer(QWidget *parent) : AnswerDialog(parent), ui(std::make_unique<Ui::TChoiceOfPlayer>())
{
    ui->setupUi(this);
    finishForm(QSize(377, 376), ui->OK, ui->Cancel);

    ui->Player1->setChecked(true);
    widgets::tabToCheckedOption({ui->Player1, ui->Player2, ui->Player3, ui->Player4});
    setTabOrder(ui->Cancel, ui->Player1);

    connect(ui->OK, &QPushButton::clicked, this, &TChoiceOfPlayer::OKClick);
    connect(ui->Cancel, &QPushButton::clicked, this, &TChoiceOfPlayer::CancelClick);
}

TChoiceOfPlayer::~TChoiceOfPlayer() = default;

void TChoiceOfPlayer::dressTexts()
{
    // The caption of the group is bold, the players' names under it are not.
    QFont caption = font();
    caption.setBold(true);
    ui->ChooseAPlayer->setFont(caption);
    QFont regular = font();
    regular.setBold(false);
    for (QRadioButton *seat : {ui->Player1, ui->Player2, ui->Player3, ui->Player4}) {
        seat->setFont(regular);
    }
}

void TChoiceOfPlayer::prepare(const QStringList &names)
{
    setPlayers(names);
    ui->Player1->setChecked(true);
}

void TChoiceOfPlayer::setPlayers(const QStringList &names)
{
    const std::array<QRadioButton *, 4> seats{ui->Player1, ui->Player2, ui->Player3, ui->Player4};
    // A seat is announced by the name it shows, as every captioned control is.
    for (qsizetype i = 0; i < names.size() && i < 4; ++i)
        seats[static_cast<std::size_t>(i)]->setText(names[i]);
    const bool fourPlayers = names.size() >= 4;
    ui->Player4->setVisible(fourPlayers);
    ui->ChooseAPlayer->resize(GroupWidth, fourPlayers ? GroupHeightFor4 : GroupHeightFor3);
}

int TChoiceOfPlayer::checkedPlayer() const
{
    const std::array<const QRadioButton *, 4> seats{ui->Player1, ui->Player2, ui->Player3, ui->Player4};
    for (std::size_t i = 0; i < seats.size(); ++i) {
        if (seats[i]->isChecked()) {
            return static_cast<int>(i) + 1;
        }
    }
    return 1;
}

void TChoiceOfPlayer::OKClick()
{
    const int player = checkedPlayer();
    hide();
    emit playerChosen(player);
}

void TChoiceOfPlayer::CancelClick()
{
    hide();
    emit declined();
}

} // namespace zelvara::correction
