// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/local_time.h"
#include "app/sheet_panel.h"
#include "platform/desktop.h"
#include "platform/settings_location.h"
#include "ui_main_window.h"
#include "widgets/frame_centring.h"
#include "widgets/window_look.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace zelvara::app {

TZelvara::TZelvara(platform::Desktop &desktop, QWidget *parent)
    : QMainWindow(parent), m_desktop(desktop), m_ui(std::make_unique<Ui::TZelvara>())
{
    // The face is set before the form makes the controls, so that they measure their texts once, in it.
    setFont(widgets::sansFont());
    m_ui->setupUi(this);
    // The pictures are read here rather than by the form, which would have the toolkit guess their format.
    setWindowIcon(widgets::pngIcon(u":/icons/zelvara.png"_s));
    m_ui->New->setIcon(widgets::pngIcon(u":/images/menu-new.png"_s));
    m_ui->Reference->setIcon(widgets::pngIcon(u":/images/menu-rules.png"_s));
    m_ui->Calculate->setIcon(widgets::pngIcon(u":/images/calculate.png"_s));
    m_ui->HideResults->setIcon(widgets::pngIcon(u":/images/hide-results.png"_s));
    m_ui->ReturnResults->setIcon(widgets::pngIcon(u":/images/return-results.png"_s));
    m_ui->NewCalc->setIcon(widgets::pngIcon(u":/images/new-calc.png"_s));
    m_ui->Info->setIcon(widgets::pngIcon(u":/images/about.png"_s));
    // A fixed single border: the system menu and the close box, no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    QPalette silver = m_ui->Client->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    // The toolkit's pale grey for disabled text vanishes on silver; a darker grey stays legible.
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        silver.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    m_ui->Client->setPalette(silver);
    m_ui->Preference->setPixmap(widgets::artwork(u":/images/banner.jpg"_s, devicePixelRatio()));

    // A sheet is built when it is first shown; until then it holds its texts without controls.
    for (SheetPanel *panel : {m_ui->PanelFor4, m_ui->PanelFor3, m_ui->PanelFor2}) {
        const int players = panel == m_ui->PanelFor4 ? 4 : panel == m_ui->PanelFor3 ? 3 : 2;
        panel->prepare(players, m_desktop);
        panel->hide();
        connect(panel, &SheetPanel::typedInto, this,
                [this, players] { m_typed.at(static_cast<std::size_t>(players - 2)) = true; });
    }
    // The sheet's fields join the tab order between the options and the buttons (builtSheet).
    const std::vector<QWidget *> buttons = {m_ui->Nondivisible, m_ui->Calculate, m_ui->HideResults, m_ui->NewCalc,
                                            m_ui->Info};
    for (std::size_t i = 1; i < buttons.size(); ++i)
        QWidget::setTabOrder(buttons[i - 1], buttons[i]);
    widgets::tabToCheckedOption({m_ui->Players4, m_ui->Players3, m_ui->Players2});
    widgets::tabToCheckedOption({m_ui->Sochi, m_ui->Leningrad});
    widgets::tabToCheckedOption({m_ui->OnNPlayers, m_ui->OnNPlayersMinus1, m_ui->Nondivisible});

    // A change runs the switch whether the player clicks, uses the keyboard or the program checks it.
    const auto onCheck = [this](QAbstractButton *button, void (TZelvara::*handler)()) {
        connect(button, &QAbstractButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onCheck(m_ui->Players4, &TZelvara::Players4Click);
    onCheck(m_ui->Players3, &TZelvara::Players3Click);
    onCheck(m_ui->Players2, &TZelvara::Players2Click);
    connect(m_ui->Calculate, &QPushButton::clicked, this, &TZelvara::CalculateClick);
    connect(m_ui->HideResults, &QPushButton::clicked, this, &TZelvara::HideResultsClick);
    connect(m_ui->ReturnResults, &QToolButton::clicked, this, &TZelvara::ReturnResultsClick);
    connect(m_ui->NewCalc, &QPushButton::clicked, this, &TZelvara::NewCalcClick);
    connect(m_ui->Info, &QPushButton::clicked, this, &TZelvara::InfoClick);
    connect(m_ui->New, &QAction::triggered, this, &TZelvara::NewClick);
    connect(m_ui->Exit1, &QAction::triggered, this, &TZelvara::Exit1Click);
    connect(m_ui->Reference, &QAction::triggered, this, &TZelvara::ReferenceClick);
    connect(m_ui->About, &QAction::triggered, this, &TZelvara::AboutClick);

    // No label of the window is meant as HTML; set once here, a text from outside never can be.
    for (QLabel *label : findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);

    m_centring = new widgets::FrameCentring(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    switchPlayers(4);
}

TZelvara::~TZelvara() = default;

QMenu *TZelvara::poolMenu()
{
    if (!m_poolMenu) {
        m_poolMenu = menuBar()->addMenu(u"&Пуля"_s);
        m_poolMenu->setObjectName(u"PoolMenu"_s);
    }
    return m_poolMenu;
}

SheetPanel &TZelvara::sheetFor(int players) const
{
    return *(players == 3 ? m_ui->PanelFor3 : players == 2 ? m_ui->PanelFor2 : m_ui->PanelFor4);
}

SheetPanel &TZelvara::builtSheet(int players)
{
    SheetPanel &sheet = sheetFor(players);
    if (!sheet.built()) {
        sheet.build();
        // Right after the options; the fields of other sheets, hidden, are passed over.
        QWidget *previous = m_ui->Nondivisible;
        for (QWidget *field : sheet.tabChain()) {
            QWidget::setTabOrder(previous, field);
            previous = field;
        }
        // The labels the sheet brings show their text as written, as every label of the window does.
        for (QLabel *label : sheet.findChildren<QLabel *>())
            label->setTextFormat(Qt::PlainText);
    }
    return sheet;
}

int TZelvara::selectedPlayers() const
{
    if (m_ui->Players4->isChecked())
        return 4;
    if (m_ui->Players3->isChecked())
        return 3;
    return 2;
}

void TZelvara::selectPlayers(int n)
{
    (n == 3 ? m_ui->Players3 : n == 2 ? m_ui->Players2 : m_ui->Players4)->setChecked(true);
}

engine::Options TZelvara::options() const
{
    engine::Options options;
    options.gameType = m_ui->Leningrad->isChecked() ? engine::GameType::Leningrad : engine::GameType::Sochi;
    if (m_ui->OnNPlayersMinus1->isChecked())
        options.heapDivision = engine::HeapDivision::OnNPlayersMinus1;
    else if (m_ui->Nondivisible->isChecked())
        options.heapDivision = engine::HeapDivision::Nondivisible;
    else
        options.heapDivision = engine::HeapDivision::OnNPlayers;
    return options;
}

void TZelvara::setOptions(engine::GameType gameType, engine::HeapDivision division)
{
    (gameType == engine::GameType::Leningrad ? m_ui->Leningrad : m_ui->Sochi)->setChecked(true);
    switch (engine::effectiveDivision(division, selectedPlayers())) {
    case engine::HeapDivision::OnNPlayers:
        m_ui->OnNPlayers->setChecked(true);
        break;
    case engine::HeapDivision::OnNPlayersMinus1:
        m_ui->OnNPlayersMinus1->setChecked(true);
        break;
    case engine::HeapDivision::Nondivisible:
        m_ui->Nondivisible->setChecked(true);
        break;
    }
}

QString TZelvara::fieldText(const QString &objectName) const
{
    const auto named = engine::parseFieldName(objectName.toStdString());
    return named ? sheetFor(named->players).fieldText(named->field) : QString();
}

void TZelvara::setFieldText(const QString &objectName, const QString &text)
{
    if (const auto named = engine::parseFieldName(objectName.toStdString()))
        sheetFor(named->players).setFieldText(named->field, text);
}

int TZelvara::nameFieldInnerWidth() const
{
    return SheetPanel::nameInnerWidth();
}

QFont TZelvara::nameFont() const
{
    return m_ui->PanelFor4->nameFont();
}

engine::SheetTexts TZelvara::sheetTexts(int players) const
{
    return sheetFor(players).texts();
}

void TZelvara::writeFields(int players, const std::vector<correction::FieldWrite> &writes)
{
    SheetPanel &sheet = sheetFor(players);
    for (const correction::FieldWrite &write : writes)
        sheet.setFieldText(write.field, QString::fromStdString(write.text));
}

correction::SettledSheet TZelvara::settledNow(engine::SheetRecord record, correction::Shown shown) const
{
    const int players = record.sheet.players;
    const SheetOrigin &origin = sheetOrigin(players);
    std::string date = origin.saved && !typedSinceKept(players) ? *origin.saved : localTimestamp();
    return {std::move(record), std::move(shown), std::move(date), origin.note};
}

const TZelvara::SheetOrigin &TZelvara::sheetOrigin(int players) const
{
    return m_origins.at(static_cast<std::size_t>(sheetFor(players).players() - 2));
}

void TZelvara::setSheetOrigin(int players, SheetOrigin origin)
{
    m_origins.at(static_cast<std::size_t>(sheetFor(players).players() - 2)) = std::move(origin);
}

void TZelvara::showResults(engine::SheetRecord record, correction::Shown shown)
{
    correction::SettledSheet settled = settledNow(std::move(record), std::move(shown));
    const int players = settled.record.sheet.players;
    SheetPanel &sheet = builtSheet(players);
    sheet.showResults(settled.shown.results);
    sheet.settled = std::move(settled);
    if (players == selectedPlayers())
        arrangeForShownResults();
    emit shownSettlementChanged();
}

const correction::SettledSheet *TZelvara::shownSettlement() const
{
    const SheetPanel &sheet = sheetFor(selectedPlayers());
    if (!sheet.resultsShown() || !sheet.settled)
        return nullptr;
    return &*sheet.settled;
}

engine::SheetRecord TZelvara::currentRecord() const
{
    engine::SheetRecord record;
    record.sheet = sheetTexts(selectedPlayers());
    record.options = options();
    record.decimalSeparator = m_desktop.decimalSeparator();
    return record;
}

void TZelvara::loadSheet(const engine::SheetTexts &texts, const engine::Options &options, SheetOrigin origin)
{
    selectPlayers(texts.players);
    setOptions(options.gameType, options.heapDivision);
    SheetPanel &sheet = sheetFor(texts.players);
    sheet.load(texts);
    markSheetKept(texts.players);
    setSheetOrigin(texts.players, std::move(origin));
    clearResults(sheet);
}

bool TZelvara::typedSinceKept(int players) const
{
    return m_typed.at(static_cast<std::size_t>(sheetFor(players).players() - 2));
}

void TZelvara::markSheetKept(int players)
{
    m_typed.at(static_cast<std::size_t>(sheetFor(players).players() - 2)) = false;
}

void TZelvara::clearResults(SheetPanel &sheet)
{
    sheet.calculated = false;
    sheet.settled.reset();
    sheet.setResultsVisible(false);
    m_ui->ReturnResults->hide();
    m_ui->HideResults->setEnabled(false);
    m_ui->HideResults->show();
    emit shownSettlementChanged();
}

void TZelvara::arrangeForShownResults()
{
    m_ui->HideResults->setEnabled(true);
    m_ui->ReturnResults->hide();
    m_ui->HideResults->show();
}

void TZelvara::arrangeResultButtons(const SheetPanel &sheet)
{
    // The result field of player 1 tells whether results are shown; only when it is hidden does the
    // flag tell hidden results from none.
    if (sheet.resultsShown()) {
        arrangeForShownResults();
    } else if (sheet.calculated) {
        m_ui->HideResults->hide();
        m_ui->ReturnResults->setChecked(true);
        m_ui->ReturnResults->show();
    } else {
        m_ui->ReturnResults->hide();
        m_ui->HideResults->setEnabled(false);
        m_ui->HideResults->show();
    }
}

void TZelvara::switchPlayers(int n)
{
    // Before the window is first shown the choice may still change (the settings are read then): the
    // sheet is built as the window comes up (setVisible).
    if (isVisible())
        builtSheet(n);
    for (SheetPanel *panel : {m_ui->PanelFor4, m_ui->PanelFor3, m_ui->PanelFor2})
        panel->setVisible(panel->players() == n);
    // A sheet that cannot divide on N - 1 offers no such choice; a choice made for more players moves on.
    const bool minusOne =
        engine::effectiveDivision(engine::HeapDivision::OnNPlayersMinus1, n) == engine::HeapDivision::OnNPlayersMinus1;
    if (!minusOne && m_ui->OnNPlayersMinus1->isChecked())
        m_ui->Nondivisible->setChecked(true);
    m_ui->OnNPlayersMinus1->setEnabled(minusOne);
    arrangeResultButtons(sheetFor(n));
    emit shownSettlementChanged();
}

void TZelvara::Players4Click()
{
    switchPlayers(4);
}

void TZelvara::Players3Click()
{
    switchPlayers(3);
}

void TZelvara::Players2Click()
{
    switchPlayers(2);
}

void TZelvara::CalculateClick()
{
    const int n = selectedPlayers();
    SheetPanel &sheet = sheetFor(n);
    // The sheet counts as settled from the press on, whatever the checks find.
    sheet.calculated = true;
    if (n == 2)
        sheet.resetResultColours();

    const engine::SheetRecord record = currentRecord();
    correction::Played played = correction::play(record);
    if (auto *shown = std::get_if<correction::Shown>(&played)) {
        showResults(record, std::move(*shown));
    } else if (const auto *failure = std::get_if<engine::ValidationFailure>(&played)) {
        m_desktop.beep();
        m_desktop.showMessage(this, QString::fromStdString(failure->message));
    } else {
        emit correctionRequested(record, std::get<correction::Asked>(played));
    }
}

void TZelvara::NewCalcClick()
{
    SheetPanel &sheet = sheetFor(selectedPlayers());
    sheet.clearNumbers();
    clearResults(sheet);
    setSheetOrigin(sheet.players(), {});
    emit newCalculationStarted(sheet.players());
}

void TZelvara::NewClick()
{
    NewCalcClick();
}

void TZelvara::HideResultsClick()
{
    sheetFor(selectedPlayers()).setResultsVisible(false);
    m_ui->HideResults->hide();
    m_ui->ReturnResults->setChecked(true);
    m_ui->ReturnResults->show();
    emit shownSettlementChanged();
}

void TZelvara::ReturnResultsClick()
{
    sheetFor(selectedPlayers()).setResultsVisible(true);
    m_ui->ReturnResults->setChecked(true);
    arrangeForShownResults();
    emit shownSettlementChanged();
}

void TZelvara::AboutClick()
{
    emit aboutRequested();
}

void TZelvara::InfoClick()
{
    emit aboutRequested();
}

void TZelvara::ReferenceClick()
{
    // The program folder first; an installed copy keeps the document in ../share/zelvara beside it.
    const QString path = platform::rulesDocumentPath(
        m_desktop.programFolder(), [this](const QString &file) { return m_desktop.fileExists(file); });
    m_desktop.openDocument(path);
    if (!m_desktop.fileExists(path)) {
        m_desktop.beep();
        m_desktop.showMessage(this, u"Файл Preference_rules.docx отсутствует в папке программы!"_s);
    }
}

void TZelvara::Exit1Click() // NOLINT(readability-convert-member-functions-to-static): a handler
{
    QCoreApplication::quit();
}

void TZelvara::setVisible(bool visible)
{
    // The sheet chosen by now is made before the window shows, so that its controls come up with it.
    if (visible)
        builtSheet(selectedPlayers());
    QMainWindow::setVisible(visible);
}

void TZelvara::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        if (const QScreen *s = screen())
            m_centring->centreOn(s->availableGeometry());
    }
    QMainWindow::showEvent(event);
}

void TZelvara::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
}

} // namespace zelvara::app
