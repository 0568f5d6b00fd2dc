// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window: the pool sheet for four, three or two players with its fields, the options, the
// command buttons and the menu. It holds no arithmetic: it reads the shown sheet into the engine's
// input, settles it there, and shows what comes back.

#include "correction/correction.h"
#include "engine/result_format.h"
#include "engine/settlement.h"
#include "engine/sheet.h"
#include "engine/shown_settlement.h"

#include <QFont>
#include <QMainWindow>

#include <array>
#include <optional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::app {

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
    // Shows results in a sheet's result fields and arranges the result buttons for shown results.
    // `source` records what produced them, for the views that explain the numbers.
    void showResults(int players, const std::vector<engine::ShownResult> &results, engine::ShownSettlement source);

    // What produced the results of the shown sheet while they are visible; nothing when no results are
    // shown, after a new calculation, or once "Рассчитать" was pressed again without showing results.
    std::optional<engine::ShownSettlement> shownSettlement() const;

    // Puts a whole sheet on the screen: the player count, the options and every field as given (names
    // kept whole, even wider than the field). Its results are hidden and its flag cleared, as a new
    // calculation does; the other two sheets stay as they are. Nothing is calculated.
    void loadSheet(const engine::SheetTexts &texts, const engine::Options &options);

    // The "&Пуля" menu after "&Инфо", where the commands beyond the sheet itself live (sheet files,
    // payments, the breakdown). Made on first use, so the menu bar shows it only when it has items.
    QMenu *poolMenu();

    // Brings the window back from a minimised or hidden state to the foreground (a second start asks).
    void bringToFront();

signals:
    void aboutRequested();
    // The shown sheet's results appeared, disappeared, or came from another settlement.
    void shownSettlementChanged();
    void correctionRequested(zelvara::engine::CorrectionDialog which);

private:
    struct Sheet
    {
        int players = 0;
        QWidget *panel = nullptr;
        QLabel *picture = nullptr;
        QLineEdit *whistValue = nullptr;
        std::array<QLineEdit *, engine::MaxPlayers> names{};
        std::array<QLineEdit *, engine::MaxPlayers> pools{};
        std::array<QLineEdit *, engine::MaxPlayers> heaps{};
        std::array<QLineEdit *, engine::MaxPlayers> results{};
        std::array<std::array<QLineEdit *, engine::MaxPlayers>, engine::MaxPlayers> whists{};
        bool calculated = false;
        std::optional<engine::ShownSettlement> source;
    };

    void buildMenu();
    void buildOptions(QWidget *client);
    void buildButtons(QWidget *client);
    void buildSheet(Sheet &sheet, QWidget *client);
    void setTabOrder();
    static QLineEdit *&field(Sheet &sheet, engine::FieldId id);
    static QLineEdit *fieldOf(const Sheet &sheet, engine::FieldId id);
    QLineEdit *findField(const QString &objectName) const;
    Sheet &sheetFor(int players);
    const Sheet &sheetFor(int players) const;
    Sheet &selectedSheet();
    static void updateAccessibleNames(Sheet &sheet);
    void arrangeResultButtons(const Sheet &sheet);
    void arrangeForShownResults();
    // Hides a sheet's results and clears its flag and record, as a new calculation does.
    void clearResults(Sheet &sheet);
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

    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // Settings are read here when the window is created and written when it is destroyed.
    void FormCreate();
    void FormDestroy();

    platform::Desktop &m_desktop;

    QRadioButton *m_players4 = nullptr;
    QRadioButton *m_players3 = nullptr;
    QRadioButton *m_players2 = nullptr;
    QRadioButton *m_sochi = nullptr;
    QRadioButton *m_leningrad = nullptr;
    QRadioButton *m_onNPlayers = nullptr;
    QRadioButton *m_onNPlayersMinus1 = nullptr;
    QRadioButton *m_nondivisible = nullptr;
    QGroupBox *m_playersNumber = nullptr;
    QGroupBox *m_gameType = nullptr;
    QGroupBox *m_heapDivisibility = nullptr;
    QPushButton *m_calculate = nullptr;
    QPushButton *m_hideResults = nullptr;
    QToolButton *m_returnResults = nullptr;
    QPushButton *m_newCalc = nullptr;
    QPushButton *m_info = nullptr;
    QFont m_nameFont;
    QMenu *m_poolMenu = nullptr;

    Sheet m_sheet4;
    Sheet m_sheet3;
    Sheet m_sheet2;
    bool m_centred = false;
    // Where the settings are read at start and written at the end, decided once.
    QString m_settingsPath;
    bool m_settingsWritten = false;
};

} // namespace zelvara::app
