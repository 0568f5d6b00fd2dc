// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/sheet_panel.h"

#include "app/sheet_layout.h"
#include "platform/desktop.h"
#include "widgets/window_look.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

using engine::FieldId;
using engine::FieldKind;

const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);
const QColor Cream(255, 251, 240);

// The sunken border of a name field on each side; a name must fit inside it.
constexpr int NameBorder = 2;
constexpr const char *TypingLimitProperty = "typingLimit";

// A field's limit binds typing only: text the program writes may be longer and stays whole, and the
// limit comes back as soon as an edit leaves room for it.
void fitTypingLimit(QLineEdit *edit, qsizetype textLength)
{
    const int limit = edit->property(TypingLimitProperty).toInt();
    if (limit > 0)
        edit->setMaxLength(std::max(limit, static_cast<int>(textLength)));
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
    const QString trimmed = name.trimmed();
    if (const auto seat = engine::seatNamed(trimmed.toStdString())) {
        const std::string_view genitive = seat->genitive;
        return QString::fromUtf8(genitive.data(), static_cast<qsizetype>(genitive.size()));
    }
    return u"игрока "_s + (trimmed.isEmpty() ? QString::number(player) : trimmed);
}

QString whoseName(const QString &name, int player)
{
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? QString::number(player) : trimmed;
}

std::size_t index(int player)
{
    return static_cast<std::size_t>(std::max(player - 1, 0));
}

} // namespace

SheetPanel::SheetPanel(QWidget *parent) : QWidget(parent) {}

void SheetPanel::prepare(int players, platform::Desktop &desktop)
{
    m_players = players;
    m_desktop = &desktop;
    m_nameFont = widgets::narrowFont();
    m_unbuilt = engine::SheetTexts::withDesignTexts(players);
}

void SheetPanel::build()
{
    if (built())
        return;
    const int players = m_players;
    m_picture = new QLabel(this);
    m_picture->setObjectName(u"PoolFor"_s + QString::number(players));
    m_picture->setTextFormat(Qt::PlainText);
    m_picture->setGeometry(PicturePlace.left, PicturePlace.top, PicturePlace.width, PicturePlace.height);

    auto *whistLabel = new QLabel(u"Вист ="_s, this);
    whistLabel->setObjectName(u"WhistEqualToTextFor"_s + QString::number(players));
    whistLabel->setTextFormat(Qt::PlainText);
    whistLabel->move(WhistLabelPlace.left, WhistLabelPlace.top);
    whistLabel->adjustSize();

    QPalette buttonFace = palette();
    buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
    QFont resultFont = font();
    resultFont.setBold(true);
    resultFont.setPixelSize(19);

    // The texts the sheet held before it was built: the design texts and whatever the program wrote.
    const engine::SheetTexts texts = std::move(*m_unbuilt);
    m_unbuilt.reset();
    for (const SheetField &row : sheetLayout(players)) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromStdString(engine::fieldName(row.field, players)));
        const FieldSize size = fieldSize(row.field.kind);
        edit->setGeometry(row.left, row.top, size.width, size.height);
        slot(row.field) = edit;

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
        case FieldKind::Name: {
            edit->setFont(m_nameFont);
            writeText(edit, QString::fromStdString(texts.text(row.field)));
            edit->installEventFilter(this);
            const std::size_t p = index(row.field.player);
            m_namesBefore.at(p) = edit->text();
            // The player's edits come first, then every change, the program's included.
            connect(edit, &QLineEdit::textEdited, this, [this, edit, p] { holdNameWidth(edit, m_namesBefore.at(p)); });
            connect(edit, &QLineEdit::textChanged, this, [this, p](const QString &text) {
                m_namesBefore.at(p) = text;
                updateAccessibleNames();
            });
            break;
        }
        case FieldKind::WhistValue:
        case FieldKind::Pool:
        case FieldKind::Heap:
        case FieldKind::Whists:
            edit->setPalette(buttonFace);
            edit->setProperty(TypingLimitProperty, typingLimit(row.field.kind));
            edit->setMaxLength(typingLimit(row.field.kind));
            writeText(edit, QString::fromStdString(texts.text(row.field)));
            connect(edit, &QLineEdit::textEdited, edit,
                    [edit](const QString &text) { fitTypingLimit(edit, text.size()); });
            break;
        }
        // Only the player's own edits count as typing: text set by the program sends no textEdited.
        if (row.field.kind != FieldKind::Result)
            connect(edit, &QLineEdit::textEdited, this, &SheetPanel::typedInto);
    }
    updateAccessibleNames();
}

QString SheetPanel::fieldText(FieldId id) const
{
    if (!built())
        return id.kind == FieldKind::Result ? QString() : QString::fromStdString(m_unbuilt->text(id));
    const QLineEdit *edit = field(id);
    return edit ? edit->text() : QString();
}

void SheetPanel::setFieldText(FieldId id, const QString &text)
{
    if (!built()) {
        if (id.kind != FieldKind::Result)
            m_unbuilt->text(id) = text.toStdString();
        return;
    }
    if (QLineEdit *edit = field(id))
        writeText(edit, text);
}

void SheetPanel::showEvent(QShowEvent *event)
{
    // The sheets not shown at start cost nothing until the player first turns to them.
    if (m_picture != nullptr && m_picture->pixmap().isNull())
        m_picture->setPixmap(
            widgets::artwork(u":/images/pool"_s + QString::number(m_players) + u".jpg"_s, devicePixelRatio()));
    QWidget::showEvent(event);
}

QLineEdit *&SheetPanel::slot(FieldId id)
{
    switch (id.kind) {
    case FieldKind::Name:
        return m_names.at(index(id.player));
    case FieldKind::Pool:
        return m_pools.at(index(id.player));
    case FieldKind::Heap:
        return m_heaps.at(index(id.player));
    case FieldKind::Result:
        return m_results.at(index(id.player));
    case FieldKind::Whists:
        return m_whists.at(index(id.player)).at(index(id.other));
    case FieldKind::WhistValue:
        break;
    }
    return m_whistValue;
}

QLineEdit *SheetPanel::field(FieldId id) const
{
    return const_cast<SheetPanel *>(this)->slot(id);
}

std::vector<QWidget *> SheetPanel::tabChain() const
{
    std::vector<QWidget *> chain;
    if (!built())
        return chain;
    for (const SheetField &row : sheetLayout(m_players)) {
        if (row.field.kind != FieldKind::Result)
            chain.push_back(field(row.field));
    }
    return chain;
}

int SheetPanel::nameInnerWidth()
{
    return fieldSize(FieldKind::Name).width - 2 * NameBorder;
}

engine::SheetTexts SheetPanel::texts() const
{
    if (!built())
        return *m_unbuilt;
    engine::SheetTexts texts = engine::SheetTexts::withDesignTexts(m_players);
    for (const SheetField &row : sheetLayout(m_players)) {
        if (row.field.kind != FieldKind::Result)
            texts.text(row.field) = field(row.field)->text().toStdString();
    }
    return texts;
}

void SheetPanel::writeText(QLineEdit *edit, const QString &text)
{
    fitTypingLimit(edit, text.size());
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SheetPanel::load(const engine::SheetTexts &texts)
{
    if (!built()) {
        for (const SheetField &row : sheetLayout(m_players)) {
            if (row.field.kind != FieldKind::Result)
                m_unbuilt->text(row.field) = texts.text(row.field);
        }
        return;
    }
    for (const SheetField &row : sheetLayout(m_players)) {
        if (row.field.kind != FieldKind::Result)
            writeText(field(row.field), QString::fromStdString(texts.text(row.field)));
    }
}

void SheetPanel::clearNumbers()
{
    for (const SheetField &row : sheetLayout(m_players)) {
        const FieldKind kind = row.field.kind;
        if (kind == FieldKind::Heap || kind == FieldKind::Pool || kind == FieldKind::Whists)
            setFieldText(row.field, QString());
    }
}

void SheetPanel::showResults(const std::vector<engine::ShownResult> &results)
{
    const auto n = static_cast<std::size_t>(m_players);
    for (std::size_t i = 0; i < n; ++i)
        setResultColour(m_results[i], false);
    for (std::size_t i = 0; i < n && i < results.size(); ++i)
        writeText(m_results[i], QString::fromStdString(results[i].text));
    for (std::size_t i = 0; i < n && i < results.size(); ++i) {
        if (results[i].tone == engine::Tone::Loss)
            setResultColour(m_results[i], true);
    }
    setResultsVisible(true);
}

void SheetPanel::setResultsVisible(bool visible)
{
    if (!built())
        return; // a sheet never shown has no results to show or hide
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_players); ++i)
        m_results[i]->setVisible(visible);
}

bool SheetPanel::resultsShown() const
{
    return built() && !m_results[0]->isHidden();
}

void SheetPanel::resetResultColours()
{
    if (!built())
        return;
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_players); ++i)
        setResultColour(m_results[i], false);
}

void SheetPanel::updateAccessibleNames()
{
    // The fields show no caption: each is announced by what it holds and whose it is.
    const int n = m_players;
    for (int i = 1; i <= n; ++i) {
        const std::size_t pi = index(i);
        const QString name = m_names[pi]->text();
        const QString whose = whoseName(name, i);
        m_names[pi]->setAccessibleName(u"Имя игрока "_s + QString::number(i));
        m_heaps[pi]->setAccessibleName(u"Гора игрока "_s + whose);
        m_pools[pi]->setAccessibleName(u"Пуля игрока "_s + whose);
        m_results[pi]->setAccessibleName(u"Итог игрока "_s + whose);
        for (int j = 1; j <= n; ++j) {
            if (j != i)
                m_whists[pi][index(j)]->setAccessibleName(u"Висты "_s + ofPlayer(name, i) + u" на "_s +
                                                          ofPlayer(m_names[index(j)]->text(), j));
        }
    }
    m_whistValue->setAccessibleName(u"Цена виста"_s);
}

bool SheetPanel::tooWide(const QString &text) const
{
    return m_desktop->textWidth(text, m_nameFont) >= nameInnerWidth() - 1;
}

void SheetPanel::holdNameWidth(QLineEdit *edit, const QString &before)
{
    const QString now = edit->text();
    if (!tooWide(now))
        return;
    // What came in is what lies between the unchanged start and the unchanged end.
    qsizetype head = 0;
    while (head < before.size() && head < now.size() && before[head] == now[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < now.size() - head &&
           before[before.size() - 1 - tail] == now[now.size() - 1 - tail])
        ++tail;
    const QString added = now.mid(head, now.size() - head - tail);
    if (added.isEmpty())
        return; // only a deletion, from a name the program wrote wider than the field
    qsizetype keep = added.size();
    while (keep > 0 && tooWide(now.left(head) + added.left(keep) + now.right(tail)))
        --keep;
    if (keep > 0 && added[keep - 1].isHighSurrogate())
        --keep;
    edit->setText(now.left(head) + added.left(keep) + now.right(tail));
    edit->setCursorPosition(static_cast<int>(head + keep));
    m_desktop->beep();
}

bool SheetPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
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
    // Only what the field would insert is measured; Ctrl with a key is a command (select all, paste).
    const QString typed = key->text();
    if (edit == nullptr || typed.isEmpty() || !typed.at(0).isPrint() || key->modifiers() & Qt::ControlModifier)
        return false;
    // The whole name with the character at its end, wherever the caret or the selection is.
    if (tooWide(edit->text() + typed)) {
        m_desktop->beep();
        return true;
    }
    return false;
}

} // namespace zelvara::app
