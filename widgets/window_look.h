// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The look every window of the program shares.

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QRadioButton>

#include <initializer_list>

class QAbstractButton;

namespace zelvara::widgets {

// The classic dialog face ("MS Sans Serif" 8 point, 11 pixels high) and its kin, by pixel height: the
// free faces that keep the classic lines in their width.
QFont sansFont(int pixelSize = 11);
// "Arial Narrow" 8 point, the face of the name fields.
QFont narrowFont(int pixelSize = 11);

// One of the program's PNG pictures. Read as PNG by name: guessing the format would make the toolkit load
// each of its image plugins to ask it.
QPixmap pngPixmap(const QString &path);
// A button's or window's picture from PNG files: the normal one and, when given, the disabled one; where
// a screen is scaled, each with its drawing at twice the size, which the toolkit paints there.
QIcon pngIcon(const QString &normal, const QString &disabled = {});

// The program's pictures are drawn twice: "pool4.jpg" for a screen at 100 % and "pool4@2x.jpg" (Qt's
// naming) for a scaled one. `path`'s drawing for a screen of `ratio` device pixels per pixel: on any
// scaled screen the larger one, carrying ratio 2, so it shows at the same size in finer detail (as Qt
// chooses "@2x" files itself); otherwise, or when there is no larger one, the picture as named. JPEG
// ("*.jpg") or PNG; a null pixmap when neither file reads.
QPixmap artwork(const QString &path, qreal ratio);

// The toolkit's style with one change: the pictures it draws for its own controls (the menu bar's
// overflow button) are read as the PNG files they are. Asked for by name, the toolkit would have each
// of its image plugins loaded to guess their format, at the start of every run. Set on the application
// before the first window; the style is the application's from then on.
void useProgramStyle();

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
