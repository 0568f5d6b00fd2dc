// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the pool sheet for four, three or two players with its fields, the options, the
// command buttons and the menu. It holds no arithmetic: it reads the shown sheet into the engine's
// input, settles it there, and shows what comes back. Its frame is resources/forms/main_window.ui;
// each sheet is a SheetPanel.

#include "correction/play.h"
#include "engine/sheet.h"
#include "engine/sheet_record.h"

#include <QFont>
#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QMenu;

namespace Ui {
class TZelvara;
}

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::widgets {
class FrameCentring;
}

namespace zelvara::app {

class SheetPanel;

class TZelvara : public QMainWindow
{
    Q_OBJECT

public:
    explicit TZelvara(platform::Desktop &desktop, QWidget *parent = nullptr);
    ~TZelvara() override;
    Q_DISABLE_COPY_MOVE(TZelvara)

    // The checked player count: 4, 3 or 2.
    int selectedPlayers() const;
    // Checks the radio button of `n` players; a change runs the player-count switch.
    void selectPlayers(int n);

    engine::Options options() const;
    void setOptions(engine::GameType gameType, engine::HeapDivision division);

    // Text access by control name ("HeapOfP1For4", "NameOfP2For3", "ValueOfWhistFor2" ...). Text the
    // program writes is kept whole, even beyond the typing limit.
    QString fieldText(const QString &objectName) const;
    void setFieldText(const QString &objectName, const QString &text);

    // The width a name may fill, inside the field's border, and the font names are measured in.
    int nameFieldInnerWidth() const;
    QFont nameFont() const;

    // The fields of a sheet as they stand.
    engine::SheetTexts sheetTexts(int players) const;
    // Writes corrected heaps and whists into a sheet.
    void writeFields(int players, const std::vector<correction::FieldWrite> &writes);
    // Shows a settled record's results in its sheet's result fields, arranges the result buttons for
    // shown results and keeps the record, which the views that explain the numbers read. The date and
    // note are stamped here, from the sheet's origin.
    void showResults(engine::SheetRecord record, correction::Shown shown);

    // The settled record behind the shown sheet's results while they are visible; nothing when no
    // results are shown or after a new calculation. A "Рассчитать" that shows no new results (a failed
    // check, a dialog still open) leaves the results on the screen and so their record.
    const correction::SettledSheet *shownSettlement() const;

    // The record of the shown sheet as it stands, with the options and the separator in force.
    engine::SheetRecord currentRecord() const;

    // Where the sheet of a player count came from: the time its file was saved and the note it carried.
    // Set when a sheet is opened from a file or kept in one; a new calculation starts a game without.
    struct SheetOrigin
    {
        std::optional<std::string> saved;
        std::string note;
    };
    const SheetOrigin &sheetOrigin(int players) const;
    void setSheetOrigin(int players, SheetOrigin origin);

    // Puts a whole sheet on the screen: the player count, the options and every field as given (names
    // kept whole, even wider than the field). Its results are hidden and its flag cleared, as a new
    // calculation does; the other two sheets stay as they are. Nothing is calculated.
    void loadSheet(const engine::SheetTexts &texts, const engine::Options &options, SheetOrigin origin = {});

    // Whether the player has typed into the sheet of `players` since it was loaded from a file, since it
    // was last kept in one (markSheetKept), or since start. Text the program writes (settings, a file,
    // corrections, results) does not count.
    bool typedSinceKept(int players) const;
    void markSheetKept(int players);

    // The "&Пуля" menu after "&Инфо", where the commands beyond the sheet itself live (sheet files,
    // payments, the breakdown). Made on first use, so the menu bar shows it only when it has items.
    QMenu *poolMenu();

    // The sheet chosen by then is built before the window first shows.
    void setVisible(bool visible) override;

    // Brings the window back from a minimised or hidden state to the foreground (a second start asks).
    void bringToFront();

signals:
    void aboutRequested();
    // The shown sheet's results appeared, disappeared, or came from another settlement.
    void shownSettlementChanged();
    // "Рассчитать" calls for a correction dialog: `record` is the sheet it asks about.
    void correctionRequested(const zelvara::engine::SheetRecord &record, const zelvara::correction::Asked &asked);
    // "Новый расчет" emptied the numbers of the sheet of `players`: a new game begins on it.
    void newCalculationStarted(int players);

private:
    SheetPanel &sheetFor(int players) const;
    // The sheet of `players` with its controls, made now if it has none yet.
    SheetPanel &builtSheet(int players);
    void arrangeResultButtons(const SheetPanel &sheet);
    void arrangeForShownResults();
    // Hides a sheet's results and clears its flag and record, as a new calculation does.
    void clearResults(SheetPanel &sheet);
    void switchPlayers(int n);

    // The handlers, named after their controls.
    void Players4Click();
    void Players3Click();
    void Players2Click();
    void CalculateClick();
    void NewCalcClick();
    void NewClick();
    void HideResultsClick();
    void ReturnResultsClick();
    void AboutClick();
    void InfoClick();
    void ReferenceClick();
    void Exit1Click();

    void showEvent(QShowEvent *event) override;

    platform::Desktop &m_desktop;
    std::unique_ptr<Ui::TZelvara> m_ui;
    QMenu *m_poolMenu = nullptr;
    widgets::FrameCentring *m_centring = nullptr;
    bool m_centred = false;
    // The settled sheet of what is on the screen now: its date is the file's for a sheet opened and not
    // typed into since, otherwise now; its note is the origin's.
    correction::SettledSheet settledNow(engine::SheetRecord record, correction::Shown shown) const;

    // Typed into since kept, and where each came from, for 2, 3 and 4 players.
    std::array<bool, 3> m_typed{};
    std::array<SheetOrigin, 3> m_origins;
};

} // namespace zelvara::app
