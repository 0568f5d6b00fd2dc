// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One pool sheet on the main window: the picture of the sheet with its fields, built from the layout
// table for four, three or two players. It reads the sheet into the engine's texts, writes what the
// program puts into it, shows results, keeps the fields' accessible names in step with the players'
// names, and holds its names to the width of their fields.

#include "correction/play.h"
#include "engine/result_format.h"
#include "engine/sheet.h"

#include <QFont>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::app {

class SheetPanel : public QWidget
{
    Q_OBJECT

public:
    explicit SheetPanel(QWidget *parent = nullptr);

    // The sheet of `players` with its design texts, as yet without controls: a sheet the player never
    // turns to costs nothing at start. Its texts can be read and written all the same.
    void prepare(int players, platform::Desktop &desktop);
    // Makes the sheet's controls from the texts it holds (once; the window does it before the sheet is
    // first shown). The picture is decoded when the sheet is first shown.
    void build();
    bool built() const { return !m_unbuilt.has_value(); }

    int players() const { return m_players; }
    // A control of the built sheet.
    QLineEdit *field(engine::FieldId id) const;
    // The fields the Tab key visits, in order; none before the sheet is built.
    std::vector<QWidget *> tabChain() const;

    // A field's text, built or not (a result has none before the sheet is built); text the program
    // writes is kept whole, even beyond the typing limit.
    QString fieldText(engine::FieldId id) const;
    void setFieldText(engine::FieldId id, const QString &text);

    // The width a name may fill, inside the field's border, and the font names are measured in.
    static int nameInnerWidth();
    QFont nameFont() const { return m_nameFont; }

    engine::SheetTexts texts() const;
    // Text the program writes is kept whole, even beyond the typing limit.
    static void writeText(QLineEdit *edit, const QString &text);
    // Every field but the results as given.
    void load(const engine::SheetTexts &texts);
    // Empties the heaps, pools and whists; names and the whist value stay.
    void clearNumbers();

    // Writes the results and their colours and shows them.
    void showResults(const std::vector<engine::ShownResult> &results);
    void setResultsVisible(bool visible);
    // The result field of player 1 tells whether results are shown.
    bool resultsShown() const;
    // Results already on the sheet turn navy (a failed check on two players does so).
    void resetResultColours();

    // Set by "Рассчитать" on this sheet and cleared by a new calculation.
    bool calculated = false;
    // The settled record behind the results on this sheet, while nothing has replaced them.
    std::optional<correction::SettledSheet> settled;

signals:
    // The player typed into a field of this sheet.
    void typedInto();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *&slot(engine::FieldId id);
    void updateAccessibleNames();
    // Whether `text` would fill a name field up to its last pixel.
    bool tooWide(const QString &text) const;
    // Pasted text or text from an input method: the longest start of what came in that still fits.
    void holdNameWidth(QLineEdit *edit, const QString &before);

    platform::Desktop *m_desktop = nullptr;
    int m_players = 0;
    QFont m_nameFont;
    QLabel *m_picture = nullptr;
    QLineEdit *m_whistValue = nullptr;
    std::array<QLineEdit *, engine::MaxPlayers> m_names{};
    std::array<QLineEdit *, engine::MaxPlayers> m_pools{};
    std::array<QLineEdit *, engine::MaxPlayers> m_heaps{};
    std::array<QLineEdit *, engine::MaxPlayers> m_results{};
    std::array<std::array<QLineEdit *, engine::MaxPlayers>, engine::MaxPlayers> m_whists{};
    // Each name field's text before the player's last edit.
    std::array<QString, engine::MaxPlayers> m_namesBefore;
    // The texts of a sheet not yet built; nothing once it is.
    std::optional<engine::SheetTexts> m_unbuilt;
};

} // namespace zelvara::app
