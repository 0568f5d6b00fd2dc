// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The look every window of the program shares.

#include <QFont>
#include <QRadioButton>

#include <initializer_list>

class QAbstractButton;

namespace zelvara::widgets {

// The classic dialog face ("MS Sans Serif" 8 point, 11 pixels high) and its kin, by pixel height: the
// free faces that keep the classic lines in their width.
QFont sansFont(int pixelSize = 11);
// "Arial Narrow" 8 point, the face of the name fields.
QFont narrowFont(int pixelSize = 11);

// Tab enters a group of options at its checked button, whoever checked it: the player or the program.
void tabToCheckedOption(std::initializer_list<QAbstractButton *> group);

// A radio button that answers a click anywhere in its row, as the options' rows look clickable.
class RowRadioButton final : public QRadioButton
{
    Q_OBJECT

public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

} // namespace zelvara::widgets
