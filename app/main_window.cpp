// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/sheet_layout.h"
#include "platform/desktop.h"
#include "platform/ini_file.h"
#include "platform/jpeg_image.h"
#include "platform/settings_location.h"
#include "settings/cp1251.h"
#include "settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

using engine::FieldId;
using engine::FieldKind;

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);
const QColor Cream(255, 251, 240);
const QColor Silver(192, 192, 192);

constexpr int ClientWidth = 511;
constexpr int ClientHeight = 473;
// The sunken border of a name field on each side; a name must fit inside it.
constexpr int NameBorder = 2;
constexpr const char *TypingLimitProperty = "typingLimit";

QString caption()
{
    return u"Zelvara - программа для расчета пули в преферансе"_s;
}

QFont windowFont()
{
    QFont font;
    font.setFamilies({u"Liberation Sans"_s, u"DejaVu Sans"_s});
    font.setPixelSize(11);
    return font;
}

QString objectNameOf(FieldId id, int players)
{
    return QString::fromStdString(engine::fieldName(id, players));
}

// A field's limit binds typing only: text the program writes may be longer and stays whole, and the
// limit comes back as soon as an edit leaves room for it.
void fitTypingLimit(QLineEdit *edit, qsizetype textLength)
{
    const int limit = edit->property(TypingLimitProperty).toInt();
    if (limit > 0)
        edit->setMaxLength(std::max(limit, static_cast<int>(textLength)));
}

void writeText(QLineEdit *edit, const QString &text)
{
    fitTypingLimit(edit, text.size());
    edit->setText(text);
    edit->setCursorPosition(0);
}

void setResultColour(QLineEdit *result, bool loss)
{
    QPalette palette = result->palette();
    palette.setColor(QPalette::Text, loss ? Red : Navy);
    result->setPalette(palette);
}

// "Запада" for the seat names; anyone else is "игрока Петя" (or the player's number if unnamed).
QString ofPlayer(const QString &name, int player)
{
    static const std::map<QString, QString> genitive = {
        {u"Запад"_s, u"Запада"_s}, {u"Север"_s, u"Севера"_s}, {u"Восток"_s, u"Востока"_s}, {u"Юг"_s, u"Юга"_s}};
    const QString trimmed = name.trimmed();
    if (const auto it = genitive.find(trimmed); it != genitive.end())
        return it->second;
    return u"игрока "_s + (trimmed.isEmpty() ? QString::number(player) : trimmed);
}

QString whoseName(const QString &name, int player)
{
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? QString::number(player) : trimmed;
}

// A radio button that answers a click anywhere in its row, as the options' rows look clickable.
class RowRadioButton final : public QRadioButton
{
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

} // namespace

TZelvara::TZelvara(platform::Desktop &desktop, QWidget *parent) : QMainWindow(parent), m_desktop(desktop)
{
    setObjectName(u"Zelvara"_s);
    setWindowTitle(caption());
    setWindowIcon(QIcon(u":/icons/zelvara.png"_s));
    // A fixed single border: the system menu and the close box, no minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());

    m_nameFont = QFont(u"Liberation Sans Narrow"_s);
    m_nameFont.setPixelSize(11);

    auto *client = new QWidget(this);
    client->setObjectName(u"Client"_s);
    client->setFixedSize(ClientWidth, ClientHeight);
    client->setAutoFillBackground(true);
    QPalette silver = client->palette();
    silver.setColor(QPalette::Window, Silver);
    // The toolkit's pale grey for disabled text vanishes on silver; a darker grey stays legible.
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        silver.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
    client->setPalette(silver);
    setCentralWidget(client);

    auto *banner = new QLabel(client);
    banner->setObjectName(u"Preference"_s);
    banner->setGeometry(0, 0, 510, 93);
    banner->setPixmap(platform::loadJpeg(u":/images/banner.jpg"_s));

    buildMenu();
    buildOptions(client);
    m_sheet4.players = 4;
    m_sheet3.players = 3;
    m_sheet2.players = 2;
    for (Sheet *sheet : {&m_sheet4, &m_sheet3, &m_sheet2})
        buildSheet(*sheet, client);
    buildButtons(client);
    setTabOrder();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    switchPlayers(4);
    FormCreate();
}

TZelvara::~TZelvara()
{
    FormDestroy();
}

void TZelvara::FormCreate()
{
    // Read from where the file will be written: the program folder, or the user's configuration folder.
    m_settingsPath = m_desktop.settingsFilePath();
    if (m_settingsPath.isEmpty())
        return;
    const char separator = m_desktop.decimalSeparator();
    platform::IniDocument file;
    platform::loadIniFile(file, m_settingsPath, decodeSettingsText);
    const StoredSettings stored =
        readSettings([&file](std::string_view key) { return file.value(SettingsSection, key); }, separator);
    const SettingsToApply apply =
        applySettings(stored, separator, nameFieldInnerWidth(), [this](const std::string &name) {
            return m_desktop.textWidth(QString::fromStdString(name), m_nameFont);
        });

    // Game type, then player count (its switch may move the division), then the division.
    const engine::GameType gameType = apply.gameType.value_or(options().gameType);
    setOptions(gameType, options().heapDivision);
    if (apply.players)
        selectPlayers(*apply.players);
    setOptions(gameType, apply.heapDivision.value_or(options().heapDivision));

    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet) {
        if (const auto &text = apply.whistValueTexts[sheet])
            setFieldText(QString::fromStdString(engine::fieldName({FieldKind::WhistValue}, SheetOrder[sheet])),
                         QString::fromStdString(*text));
    }
    for (std::size_t i = 0; i < NameCount; ++i) {
        const Seat seat = NameSeats[i];
        setFieldText(QString::fromStdString(engine::fieldName({FieldKind::Name, seat.player}, seat.players)),
                     QString::fromStdString(apply.names[i]));
    }
}

void TZelvara::FormDestroy()
{
    if (m_settingsWritten || m_settingsPath.isEmpty())
        return;
    m_settingsWritten = true;
    const char separator = m_desktop.decimalSeparator();
    WindowSettings window;
    window.players = selectedPlayers();
    window.options = options();
    for (std::size_t sheet = 0; sheet < SheetOrder.size(); ++sheet)
        window.whistValueTexts[sheet] =
            fieldText(QString::fromStdString(engine::fieldName({FieldKind::WhistValue}, SheetOrder[sheet])))
                .toStdString();
    for (std::size_t i = 0; i < NameCount; ++i) {
        const Seat seat = NameSeats[i];
        window.names[i] =
            fieldText(QString::fromStdString(engine::fieldName({FieldKind::Name, seat.player}, seat.players)))
                .toStdString();
    }
    const auto entries = settingsEntries(collectSettings(window, separator), separator);
    // The window is going away: the box has no parent, and the program ends after it either way.
    if (!platform::updateIniFile(m_settingsPath, SettingsSection, entries, decodeSettingsText))
        m_desktop.showError(nullptr, u"Unable to write to "_s + QDir::toNativeSeparators(m_settingsPath) + u'.');
}

void TZelvara::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(u"MainMenu"_s);

    QMenu *file = bar->addMenu(u"&Файл"_s);
    file->setObjectName(u"File1"_s);
    QAction *newCalc = file->addAction(QIcon(u":/images/menu-new.png"_s), u"&Новый расчет"_s);
    newCalc->setObjectName(u"New"_s);
    newCalc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newCalc, &QAction::triggered, this, &TZelvara::NewClick);
    QAction *exit = file->addAction(u"&Выход"_s);
    exit->setObjectName(u"Exit1"_s);
    connect(exit, &QAction::triggered, this, &TZelvara::Exit1Click);

    QMenu *info = bar->addMenu(u"&Инфо"_s);
    info->setObjectName(u"Info1"_s);
    QAction *reference = info->addAction(QIcon(u":/images/menu-rules.png"_s), u"&Правила преферанса"_s);
    reference->setObjectName(u"Reference"_s);
    connect(reference, &QAction::triggered, this, &TZelvara::ReferenceClick);
    QAction *about = info->addAction(u"&О программе..."_s);
    about->setObjectName(u"About"_s);
    connect(about, &QAction::triggered, this, &TZelvara::AboutClick);
}

QMenu *TZelvara::poolMenu()
{
    if (!m_poolMenu) {
        m_poolMenu = menuBar()->addMenu(u"&Пуля"_s);
        m_poolMenu->setObjectName(u"PoolMenu"_s);
    }
    return m_poolMenu;
}

void TZelvara::buildOptions(QWidget *client)
{
    auto group = [client](const QString &name, const QString &title, int top) {
        auto *box = new QGroupBox(title, client);
        box->setObjectName(name);
        box->setGeometry(380, top, 121, 65);
        return box;
    };
    auto radio = [](QGroupBox *box, const QString &name, const QString &text, int top) {
        auto *button = new RowRadioButton(text, box);
        button->setObjectName(name);
        button->setAccessibleName(text);
        button->setGeometry(8, top, 111, 16);
        return button;
    };

    m_playersNumber = group(u"PlayersNumber"_s, u"Количество игроков:"_s, 93);
    m_players4 = radio(m_playersNumber, u"Players4"_s, u"4"_s, 15);
    m_players3 = radio(m_playersNumber, u"Players3"_s, u"3"_s, 31);
    m_players2 = radio(m_playersNumber, u"Players2"_s, u"2"_s, 47);
    m_players4->setChecked(true);
    // A change runs the switch whether the player clicks, uses the keyboard or the program checks it.
    connect(m_players4, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Players4Click();
    });
    connect(m_players3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Players3Click();
    });
    connect(m_players2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Players2Click();
    });

    m_gameType = group(u"GameType"_s, u"Тип игры:"_s, 158);
    m_sochi = radio(m_gameType, u"Sochi"_s, u"Сочи / Ростов"_s, 18);
    m_leningrad = radio(m_gameType, u"Leningrad"_s, u"Ленинград"_s, 40);
    m_sochi->setChecked(true);

    m_heapDivisibility = group(u"HeapDivisibility"_s, u"Делимость горы:"_s, 223);
    m_onNPlayers = radio(m_heapDivisibility, u"OnNPlayers"_s, u"На N игроков"_s, 15);
    m_onNPlayersMinus1 = radio(m_heapDivisibility, u"OnNPlayersMinus1"_s, u"На N игроков — 1"_s, 31);
    m_nondivisible = radio(m_heapDivisibility, u"Nondivisible"_s, u"Не делится"_s, 47);
    m_onNPlayers->setChecked(true);
}

void TZelvara::buildButtons(QWidget *client)
{
    auto button = [client](const QString &name, const QString &text, const QString &icon, int top) {
        auto *b = new QPushButton(QIcon(icon), text, client);
        b->setObjectName(name);
        b->setAccessibleName(text);
        b->setIconSize(QSize(32, 32));
        b->setGeometry(380, top, 121, 41);
        return b;
    };
    m_calculate = button(u"Calculate"_s, u"Рассчитать"_s, u":/images/calculate.png"_s, 293);
    m_calculate->setToolTip(u"Рассчитать"_s);
    m_hideResults = button(u"HideResults"_s, u"Скрыть итоги"_s, u":/images/hide-results.png"_s, 338);
    m_hideResults->setEnabled(false);
    m_newCalc = button(u"NewCalc"_s, u"Новый расчет"_s, u":/images/new-calc.png"_s, 383);
    m_info = button(u"Info"_s, u"О программе"_s, u":/images/about.png"_s, 428);

    // "Вернуть итоги" takes the place of "Скрыть итоги" and is always drawn pressed in.
    m_returnResults = new QToolButton(client);
    m_returnResults->setObjectName(u"ReturnResults"_s);
    m_returnResults->setText(u"Вернуть итоги"_s);
    m_returnResults->setAccessibleName(u"Вернуть итоги"_s);
    m_returnResults->setIcon(QIcon(u":/images/return-results.png"_s));
    m_returnResults->setIconSize(QSize(32, 32));
    m_returnResults->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_returnResults->setCheckable(true);
    m_returnResults->setChecked(true);
    m_returnResults->setFocusPolicy(Qt::NoFocus);
    m_returnResults->setGeometry(380, 338, 121, 41);
    m_returnResults->hide();

    connect(m_calculate, &QPushButton::clicked, this, &TZelvara::CalculateClick);
    connect(m_hideResults, &QPushButton::clicked, this, &TZelvara::HideResultsClick);
    connect(m_returnResults, &QToolButton::clicked, this, &TZelvara::ReturnResultsClick);
    connect(m_newCalc, &QPushButton::clicked, this, &TZelvara::NewCalcClick);
    connect(m_info, &QPushButton::clicked, this, &TZelvara::InfoClick);
}

void TZelvara::buildSheet(Sheet &sheet, QWidget *client)
{
    const int n = sheet.players;
    const QString suffix = u"For"_s + QString::number(n);

    sheet.panel = new QWidget(client);
    sheet.panel->setObjectName(u"PanelFor"_s + QString::number(n));
    sheet.panel->setGeometry(0, 96, 377, 377);

    sheet.picture = new QLabel(sheet.panel);
    sheet.picture->setObjectName(u"PoolFor"_s + QString::number(n));
    sheet.picture->setGeometry(8, 7, 363, 363);
    sheet.picture->setPixmap(platform::loadJpeg(u":/images/pool"_s + QString::number(n) + u".jpg"_s));

    auto *whistLabel = new QLabel(u"Вист ="_s, sheet.panel);
    whistLabel->setObjectName(u"WhistEqualToText"_s + suffix);
    whistLabel->move(173, 169);
    whistLabel->adjustSize();

    QPalette buttonFace = sheet.panel->palette();
    buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));

    QFont resultFont = font();
    resultFont.setBold(true);
    resultFont.setPixelSize(19);

    const engine::SheetTexts design = engine::SheetTexts::withDesignTexts(n);
    for (const SheetField &row : sheetLayout(n)) {
        auto *edit = new QLineEdit(sheet.panel);
        edit->setObjectName(objectNameOf(row.field, n));
        const FieldSize size = fieldSize(row.field.kind);
        edit->setGeometry(row.left, row.top, size.width, size.height);
        field(sheet, row.field) = edit;

        switch (row.field.kind) {
        case FieldKind::Result: {
            edit->setReadOnly(true);
            edit->setFrame(false);
            edit->setFocusPolicy(Qt::NoFocus);
            edit->setFont(resultFont);
            QPalette cream = edit->palette();
            cream.setColor(QPalette::Base, Cream);
            cream.setColor(QPalette::Text, Navy);
            edit->setPalette(cream);
            edit->hide();
            break;
        }
        case FieldKind::Name:
            edit->setFont(m_nameFont);
            edit->setText(QString::fromStdString(design.text(row.field)));
            edit->installEventFilter(this);
            connect(edit, &QLineEdit::textChanged, this, [this, &sheet] { updateAccessibleNames(sheet); });
            break;
        case FieldKind::WhistValue:
        case FieldKind::Pool:
        case FieldKind::Heap:
        case FieldKind::Whists:
            edit->setPalette(buttonFace);
            edit->setProperty(TypingLimitProperty, typingLimit(row.field.kind));
            edit->setMaxLength(typingLimit(row.field.kind));
            edit->setText(QString::fromStdString(design.text(row.field)));
            connect(edit, &QLineEdit::textEdited, edit,
                    [edit](const QString &text) { fitTypingLimit(edit, text.size()); });
            break;
        }
    }
    updateAccessibleNames(sheet);
    sheet.panel->hide();
}

void TZelvara::setTabOrder()
{
    std::vector<QWidget *> chain = {m_players4,  m_players3,   m_players2,         m_sochi,
                                    m_leningrad, m_onNPlayers, m_onNPlayersMinus1, m_nondivisible};
    for (Sheet *sheet : {&m_sheet4, &m_sheet3, &m_sheet2}) {
        for (const SheetField &row : sheetLayout(sheet->players)) {
            if (row.field.kind != FieldKind::Result)
                chain.push_back(field(*sheet, row.field));
        }
    }
    chain.insert(chain.end(), {m_calculate, m_hideResults, m_newCalc, m_info});
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// The slot of a field in a sheet, for a sheet that may be const or not.
template <typename SheetType> auto &fieldSlot(SheetType &sheet, FieldId id)
{
    const auto p = static_cast<std::size_t>(std::max(id.player - 1, 0));
    switch (id.kind) {
    case FieldKind::Name:
        return sheet.names.at(p);
    case FieldKind::Pool:
        return sheet.pools.at(p);
    case FieldKind::Heap:
        return sheet.heaps.at(p);
    case FieldKind::Result:
        return sheet.results.at(p);
    case FieldKind::Whists:
        return sheet.whists.at(p).at(static_cast<std::size_t>(id.other - 1));
    case FieldKind::WhistValue:
        break;
    }
    return sheet.whistValue;
}

QLineEdit *&TZelvara::field(Sheet &sheet, FieldId id)
{
    return fieldSlot(sheet, id);
}

QLineEdit *TZelvara::fieldOf(const Sheet &sheet, FieldId id)
{
    return fieldSlot(sheet, id);
}

QLineEdit *TZelvara::findField(const QString &objectName) const
{
    return centralWidget()->findChild<QLineEdit *>(objectName);
}

TZelvara::Sheet &TZelvara::sheetFor(int players)
{
    return players == 3 ? m_sheet3 : players == 2 ? m_sheet2 : m_sheet4;
}

const TZelvara::Sheet &TZelvara::sheetFor(int players) const
{
    return players == 3 ? m_sheet3 : players == 2 ? m_sheet2 : m_sheet4;
}

TZelvara::Sheet &TZelvara::selectedSheet()
{
    return sheetFor(selectedPlayers());
}

void TZelvara::updateAccessibleNames(Sheet &sheet)
{
    const int n = sheet.players;
    for (int i = 1; i <= n; ++i) {
        const auto pi = static_cast<std::size_t>(i - 1);
        const QString name = sheet.names[pi]->text();
        const QString whose = whoseName(name, i);
        sheet.names[pi]->setAccessibleName(u"Имя игрока "_s + QString::number(i));
        sheet.heaps[pi]->setAccessibleName(u"Гора игрока "_s + whose);
        sheet.pools[pi]->setAccessibleName(u"Пуля игрока "_s + whose);
        sheet.results[pi]->setAccessibleName(u"Итог игрока "_s + whose);
        for (int j = 1; j <= n; ++j) {
            if (j == i)
                continue;
            const auto pj = static_cast<std::size_t>(j - 1);
            sheet.whists[pi][pj]->setAccessibleName(u"Висты "_s + ofPlayer(name, i) + u" на "_s +
                                                    ofPlayer(sheet.names[pj]->text(), j));
        }
    }
    sheet.whistValue->setAccessibleName(u"Цена виста"_s);
}

int TZelvara::selectedPlayers() const
{
    if (m_players4->isChecked())
        return 4;
    if (m_players3->isChecked())
        return 3;
    return 2;
}

void TZelvara::selectPlayers(int n)
{
    QRadioButton *button = n == 3 ? m_players3 : n == 2 ? m_players2 : m_players4;
    button->setChecked(true);
}

engine::Options TZelvara::options() const
{
    engine::Options options;
    options.gameType = m_leningrad->isChecked() ? engine::GameType::Leningrad : engine::GameType::Sochi;
    if (m_onNPlayersMinus1->isChecked())
        options.heapDivision = engine::HeapDivision::OnNPlayersMinus1;
    else if (m_nondivisible->isChecked())
        options.heapDivision = engine::HeapDivision::Nondivisible;
    else
        options.heapDivision = engine::HeapDivision::OnNPlayers;
    return options;
}

void TZelvara::setOptions(engine::GameType gameType, engine::HeapDivision division)
{
    (gameType == engine::GameType::Leningrad ? m_leningrad : m_sochi)->setChecked(true);
    // The two-player sheet has no "На N игроков — 1".
    if (division == engine::HeapDivision::OnNPlayersMinus1 && !m_onNPlayersMinus1->isEnabled())
        division = engine::HeapDivision::Nondivisible;
    switch (division) {
    case engine::HeapDivision::OnNPlayers:
        m_onNPlayers->setChecked(true);
        break;
    case engine::HeapDivision::OnNPlayersMinus1:
        m_onNPlayersMinus1->setChecked(true);
        break;
    case engine::HeapDivision::Nondivisible:
        m_nondivisible->setChecked(true);
        break;
    }
}

QString TZelvara::fieldText(const QString &objectName) const
{
    const QLineEdit *edit = findField(objectName);
    return edit ? edit->text() : QString();
}

void TZelvara::setFieldText(const QString &objectName, const QString &text)
{
    if (QLineEdit *edit = findField(objectName))
        writeText(edit, text);
}

int TZelvara::nameFieldInnerWidth() const
{
    return m_sheet4.names[0]->width() - 2 * NameBorder;
}

QFont TZelvara::nameFont() const
{
    return m_nameFont;
}

engine::SheetTexts TZelvara::sheetTexts(int players) const
{
    engine::SheetTexts texts = engine::SheetTexts::withDesignTexts(players);
    const Sheet &sheet = sheetFor(players);
    for (const SheetField &row : sheetLayout(players)) {
        if (row.field.kind != FieldKind::Result)
            texts.text(row.field) = fieldOf(sheet, row.field)->text().toStdString();
    }
    return texts;
}

void TZelvara::writeFields(int players, const std::vector<correction::FieldWrite> &writes)
{
    Sheet &sheet = sheetFor(players);
    for (const correction::FieldWrite &write : writes)
        writeText(field(sheet, write.field), QString::fromStdString(write.text));
}

void TZelvara::showResults(int players, const std::vector<engine::ShownResult> &results, engine::ShownSettlement source)
{
    Sheet &sheet = sheetFor(players);
    sheet.source = std::move(source);
    const auto n = static_cast<std::size_t>(players);
    for (std::size_t i = 0; i < n; ++i)
        setResultColour(sheet.results[i], false);
    for (std::size_t i = 0; i < n && i < results.size(); ++i)
        writeText(sheet.results[i], QString::fromStdString(results[i].text));
    for (std::size_t i = 0; i < n && i < results.size(); ++i) {
        if (results[i].tone == engine::Tone::Loss)
            setResultColour(sheet.results[i], true);
    }
    for (std::size_t i = 0; i < n; ++i)
        sheet.results[i]->show();
    if (players == selectedPlayers())
        arrangeForShownResults();
    emit shownSettlementChanged();
}

std::optional<engine::ShownSettlement> TZelvara::shownSettlement() const
{
    const Sheet &sheet = sheetFor(selectedPlayers());
    if (sheet.results[0]->isHidden())
        return std::nullopt;
    return sheet.source;
}

void TZelvara::loadSheet(const engine::SheetTexts &texts, const engine::Options &options)
{
    const int n = texts.players;
    selectPlayers(n);
    setOptions(options.gameType, options.heapDivision);
    Sheet &sheet = sheetFor(n);
    for (const SheetField &row : sheetLayout(n)) {
        if (row.field.kind != FieldKind::Result)
            writeText(field(sheet, row.field), QString::fromStdString(texts.text(row.field)));
    }
    clearResults(sheet);
}

void TZelvara::clearResults(Sheet &sheet)
{
    sheet.calculated = false;
    sheet.source.reset();
    for (std::size_t i = 0; i < static_cast<std::size_t>(sheet.players); ++i)
        sheet.results[i]->hide();
    m_returnResults->hide();
    m_hideResults->setEnabled(false);
    m_hideResults->show();
    emit shownSettlementChanged();
}

void TZelvara::arrangeForShownResults()
{
    m_hideResults->setEnabled(true);
    m_returnResults->hide();
    m_hideResults->show();
}

void TZelvara::arrangeResultButtons(const Sheet &sheet)
{
    // The result field of player 1 tells whether results are shown; only when it is hidden does the
    // flag tell hidden results from none.
    if (!sheet.results[0]->isHidden()) {
        arrangeForShownResults();
    } else if (sheet.calculated) {
        m_hideResults->hide();
        m_returnResults->setChecked(true);
        m_returnResults->show();
    } else {
        m_returnResults->hide();
        m_hideResults->setEnabled(false);
        m_hideResults->show();
    }
}

void TZelvara::switchPlayers(int n)
{
    for (Sheet *sheet : {&m_sheet4, &m_sheet3, &m_sheet2})
        sheet->panel->setVisible(sheet->players == n);
    if (n == 2) {
        if (m_onNPlayersMinus1->isChecked())
            m_nondivisible->setChecked(true);
        m_onNPlayersMinus1->setEnabled(false);
    } else {
        m_onNPlayersMinus1->setEnabled(true);
    }
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
    Sheet &sheet = sheetFor(n);
    // The sheet counts as settled from the press on, whatever the checks find.
    sheet.calculated = true;
    // Until new results are shown, the ones on the screen are no longer explained by anything.
    if (sheet.source) {
        sheet.source.reset();
        emit shownSettlementChanged();
    }
    if (n == 2) {
        for (std::size_t i = 0; i < 2; ++i)
            setResultColour(sheet.results[i], false);
    }

    const char separator = m_desktop.decimalSeparator();
    engine::ShownSettlement source{sheetTexts(n), options(), separator, engine::ShownBy::Settlement, 0};
    const engine::SettlementOutcome outcome = engine::settle(source.sheet, source.options, separator);
    if (const auto *results = std::get_if<engine::Results>(&outcome)) {
        showResults(n, engine::showResults(*results, separator), std::move(source));
    } else if (const auto *failure = std::get_if<engine::ValidationFailure>(&outcome)) {
        m_desktop.beep();
        m_desktop.showMessage(this, QString::fromStdString(failure->message));
    } else {
        emit correctionRequested(std::get<engine::CorrectionDialog>(outcome));
    }
}

void TZelvara::NewCalcClick()
{
    Sheet &sheet = selectedSheet();
    for (const SheetField &row : sheetLayout(sheet.players)) {
        const FieldKind kind = row.field.kind;
        if (kind == FieldKind::Heap || kind == FieldKind::Pool || kind == FieldKind::Whists)
            writeText(field(sheet, row.field), QString());
    }
    clearResults(sheet);
}

void TZelvara::NewClick()
{
    NewCalcClick();
}

void TZelvara::HideResultsClick()
{
    Sheet &sheet = selectedSheet();
    for (std::size_t i = 0; i < static_cast<std::size_t>(sheet.players); ++i)
        sheet.results[i]->hide();
    m_hideResults->hide();
    m_returnResults->setChecked(true);
    m_returnResults->show();
    emit shownSettlementChanged();
}

void TZelvara::ReturnResultsClick()
{
    Sheet &sheet = selectedSheet();
    for (std::size_t i = 0; i < static_cast<std::size_t>(sheet.players); ++i)
        sheet.results[i]->show();
    m_returnResults->setChecked(true);
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

bool TZelvara::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto *edit = qobject_cast<QLineEdit *>(watched);
    const auto *key = dynamic_cast<QKeyEvent *>(event);
    if (key == nullptr)
        return false;
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return false;
    default:
        break;
    }
    const QString typed = key->text();
    if (edit == nullptr || typed.isEmpty() || !typed.at(0).isPrint())
        return false;
    // The whole name with the character at its end, wherever the caret or the selection is.
    const int width = m_desktop.textWidth(edit->text() + typed, edit->font());
    if (width >= nameFieldInnerWidth() - 1) {
        m_desktop.beep();
        return true;
    }
    return false;
}

void TZelvara::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        if (const QScreen *s = screen()) {
            const QRect area = s->availableGeometry();
            QRect frame = frameGeometry();
            frame.moveCenter(area.center());
            move(frame.topLeft());
        }
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
