// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report.h"

#include "engine/payments.h"
#include "zelvara/version.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cstddef>

using namespace Qt::StringLiterals;

namespace zelvara::report {

namespace {

using engine::FieldKind;

// The report's frame, in its own pixels: the sheet's panel on the left, the results beside it.
constexpr qreal Margin = 24;
constexpr qreal Gap = 24;
constexpr qreal ColumnWidth = 268;

// A text from outside is cut to this many characters before it is measured: no line of the report
// shows more, and measuring a name of a million characters would stall the window.
constexpr qsizetype MostCharacters = 2000;

const QColor Ink(0, 0, 0);
const QColor Grey(90, 90, 90);
const QColor Border(150, 150, 150);
const QColor ButtonFace(240, 240, 240);
const QColor White(255, 255, 255);
const QColor Cream(255, 251, 240);
const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

QFont face(const QFont &family, int pixelSize, bool bold = false, bool italic = false)
{
    QFont font = family;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    // Unhinted shapes measure alike on the screen, on a picture of any scale and in a PDF, so a line
    // laid out to fit fits wherever it is drawn.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// Text from outside as the report can show it: bounded, with control characters as spaces; a line
// break kept only where `breaks` allows it.
QString shown(QString text, bool breaks = false)
{
    text.truncate(MostCharacters);
    for (QChar &ch : text) {
        if (breaks && ch == u'\n')
            ch = QChar::LineSeparator;
        else if (ch.category() == QChar::Other_Control || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator)
            ch = u' ';
    }
    return text;
}

QString shown(const std::string &text, bool breaks = false)
{
    // Four bytes at most to a character: the rest could not be shown anyway.
    return shown(QString::fromStdString(text.substr(0, static_cast<std::size_t>(MostCharacters) * 4)), breaks);
}

struct Wrapped
{
    QStringList lines;
    // Some of the text did not fit and the last line ends in "…".
    bool cut = false;
};

// `text` broken into lines of at most `width` pixels, between words where it can, anywhere where it
// must; the last of `mostLines` lines takes the rest, elided.
Wrapped wrap(const QString &text, const QFont &font, qreal width, int mostLines)
{
    Wrapped out;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (out.lines.size() + 1 == mostLines) {
            const QString rest = text.mid(line.textStart()).simplified();
            const QString elided = QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width);
            out.cut = elided != rest;
            out.lines << elided;
            break;
        }
        out.lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return out;
}

struct Fit
{
    QFont font;
    QString text;
    bool cut = false;
};

// The largest size from `largest` down to `smallest` pixels at which `text` fits `width` on one line;
// at the smallest, what fits of it, elided.
Fit fitLine(const QString &text, const QFont &family, int largest, int smallest, qreal width, bool bold = false)
{
    for (int size = largest; size >= smallest; --size) {
        const QFont font = face(family, size, bold);
        const QFontMetricsF metrics(font);
        if (metrics.horizontalAdvance(text) <= width)
            return {font, text, false};
        if (size == smallest) {
            const QString elided = metrics.elidedText(text, Qt::ElideRight, width);
            return {font, elided, elided != text};
        }
    }
    return {face(family, largest, bold), text, false};
}

class Builder
{
public:
    Builder(Report &report, const Faces &faces) : m_report(report), m_faces(faces) {}

    Item &text(const QRectF &rect, const QString &line, const QFont &font, const QColor &ink, const QString &role,
               int player = 0, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
    {
        Item item;
        item.kind = Item::Kind::Text;
        item.rect = rect;
        item.text = line;
        item.font = font;
        item.ink = ink;
        item.alignment = alignment;
        item.role = role;
        item.player = player;
        m_report.items.push_back(std::move(item));
        return m_report.items.back();
    }

    void box(const QRectF &rect, const QColor &border, const QColor &fill, const QString &role)
    {
        Item item;
        item.kind = Item::Kind::Box;
        item.rect = rect;
        item.ink = border;
        item.fill = fill;
        item.role = role;
        m_report.items.push_back(std::move(item));
    }

    // Lines of `text` from (x, y), at most `width` wide; returns the height they take.
    qreal paragraph(qreal x, qreal y, qreal width, const QString &text, const QFont &font, const QColor &ink,
                    int mostLines, const QString &role, int player = 0)
    {
        const qreal step = QFontMetricsF(font).lineSpacing();
        qreal height = 0;
        for (const QString &line : wrap(text, font, width, mostLines).lines) {
            this->text(QRectF(x, y + height, width, step), line, font, ink, role, player);
            height += step;
        }
        return height;
    }

    const QFont &words() const { return m_faces.text; }
    const QFont &narrow() const { return m_faces.narrow; }

private:
    Report &m_report;
    const Faces &m_faces;
};

// A name in its field on the sheet: on one line at the field's own size or smaller, on two smaller lines
// when it does not fit on one, elided only when even that is too little.
void nameInField(Builder &b, const QRectF &box, const QString &name, const QString &role, int player)
{
    const QRectF inner = box.adjusted(2, 1, -2, -1);
    const Fit one = fitLine(name, b.narrow(), 11, 8, inner.width());
    if (!one.cut) {
        b.text(inner, one.text, one.font, Ink, role, player, Qt::AlignCenter);
        return;
    }
    Wrapped two;
    QFont font;
    for (int size = 9; size >= 7; --size) {
        font = face(b.narrow(), size);
        two = wrap(name, font, inner.width(), 2);
        if (!two.cut && 2 * QFontMetricsF(font).height() <= inner.height() + 2)
            break;
    }
    const qreal half = inner.height() / 2;
    for (qsizetype i = 0; i < two.lines.size(); ++i)
        b.text(QRectF(inner.left(), inner.top() + static_cast<qreal>(i) * half, inner.width(), half), two.lines[i],
               font, Ink, role, player, Qt::AlignCenter);
}

// What the sheet's drawing covers: its picture and every field, the results reaching out over its edge.
QRectF boundsOf(const SheetArt &art)
{
    auto bounds = QRectF(art.picturePlace);
    for (const FieldPlace &place : art.fields)
        bounds = bounds.united(QRectF(place.box));
    return bounds;
}

// The sheet as it was settled, at (left, top): its picture, every field with the text it held once the
// correction was written in, and the results.
qreal drawSheet(Builder &b, Report &report, const correction::SettledSheet &settled, const SheetArt &art, qreal left,
                qreal top)
{
    const int players = settled.record.sheet.players;
    engine::SheetTexts texts = settled.record.sheet;
    for (const correction::FieldWrite &write : settled.shown.writes)
        texts.text(write.field) = write.text;

    const QRectF bounds = boundsOf(art);
    const QPointF origin(left - bounds.left(), top - bounds.top());

    report.picture = art.picture;
    Item picture;
    picture.kind = Item::Kind::Picture;
    picture.rect = QRectF(art.picturePlace).translated(origin);
    picture.role = u"sheet"_s;
    report.items.push_back(picture);

    const QFont label = face(b.words(), 11);
    const QString whist = u"Вист ="_s;
    b.text(QRectF(QPointF(art.whistLabel) + origin, QFontMetricsF(label).size(Qt::TextSingleLine, whist)), whist, label,
           Ink, u"whistLabel"_s);

    for (const FieldPlace &place : art.fields) {
        const QRectF box = QRectF(place.box).translated(origin);
        const QString role = QString::fromStdString(engine::fieldName(place.field, players));
        const int player = place.field.player;
        switch (place.field.kind) {
        case FieldKind::Result: {
            const auto index = static_cast<std::size_t>(player - 1);
            if (player < 1 || index >= settled.shown.results.size())
                break;
            const engine::ShownResult &result = settled.shown.results[index];
            b.box(box, {}, Cream, role);
            const QRectF inner = box.adjusted(2, 0, -2, 0);
            const Fit fit = fitLine(shown(result.text), b.words(), 19, 11, inner.width(), true);
            b.text(inner, fit.text, fit.font, toneColour(result.tone), role, player);
            break;
        }
        case FieldKind::Name:
            b.box(box, Border, White, role);
            nameInField(b, box, shown(texts.text(place.field)), role, player);
            break;
        case FieldKind::WhistValue:
        case FieldKind::Pool:
        case FieldKind::Heap:
        case FieldKind::Whists: {
            b.box(box, Border, ButtonFace, role);
            const QRectF inner = box.adjusted(2, 0, -2, 0);
            const Fit fit = fitLine(shown(texts.text(place.field)), b.words(), 11, 7, inner.width());
            b.text(inner, fit.text, fit.font, Ink, role, player, Qt::AlignCenter);
            break;
        }
        }
    }
    return bounds.height();
}

// Beside the sheet: the results by name, the fewest transfers, the pairs when their rounding is spoken
// of, and the note on what was rounded. Returns the height taken.
qreal drawColumn(Builder &b, const correction::SettledSheet &settled, const correction::Explanation &explanation,
                 qreal left, qreal top)
{
    const QFont heading = face(b.words(), 15, true);
    const QFont body = face(b.words(), 13);
    const QFont bold = face(b.words(), 13, true);
    const qreal headingStep = QFontMetricsF(heading).lineSpacing() + 4;
    const qreal step = QFontMetricsF(body).lineSpacing();
    const QFontMetricsF boldMetrics(bold);
    qreal y = top;

    b.text(QRectF(left, y, ColumnWidth, headingStep), u"Итоги"_s, heading, Ink, u"heading"_s);
    y += headingStep;
    const std::vector<engine::ShownResult> &results = settled.shown.results;
    qreal resultWidth = 0;
    for (const engine::ShownResult &result : results)
        resultWidth = std::max(resultWidth, boldMetrics.horizontalAdvance(shown(result.text)));
    resultWidth = std::min(resultWidth, ColumnWidth / 2);
    const qreal nameWidth = ColumnWidth - resultWidth - 12;
    for (int player = 1; player <= settled.record.sheet.players; ++player) {
        const auto index = static_cast<std::size_t>(player - 1);
        const QString name = shown(playerName(settled.record, player));
        const qreal height = b.paragraph(left, y, nameWidth, name, body, Ink, 2, u"name"_s, player);
        if (index < results.size()) {
            const QString result = boldMetrics.elidedText(shown(results[index].text), Qt::ElideRight, resultWidth);
            b.text(QRectF(left + ColumnWidth - resultWidth, y, resultWidth, step), result, bold,
                   toneColour(results[index].tone), u"result"_s, player, Qt::AlignRight | Qt::AlignVCenter);
        }
        y += std::max(height, step) + 3;
    }

    y += 12;
    b.text(QRectF(left, y, ColumnWidth, headingStep), u"Кто кому платит"_s, heading, Ink, u"heading"_s);
    y += headingStep;
    const engine::Payments &payments = explanation.payments;
    if (!payments.available) {
        y += b.paragraph(left, y, ColumnWidth, u"Итоги слишком велики, чтобы разбить их на платежи."_s, body, Grey, 3,
                         u"transfer"_s);
    } else if (explanation.transferLines.empty()) {
        y += b.paragraph(left, y, ColumnWidth, u"Никто никому не платит."_s, body, Ink, 1, u"transfer"_s);
    }
    for (const std::string &line : explanation.transferLines)
        y += b.paragraph(left, y, ColumnWidth, shown(line), body, Ink, 3, u"transfer"_s) + 2;

    // The note names pairs whose amounts were rounded: they are shown so the note can be checked.
    if (payments.available && !payments.roundedPairs.empty()) {
        y += 12;
        b.text(QRectF(left, y, ColumnWidth, headingStep), u"По парам"_s, heading, Ink, u"heading"_s);
        y += headingStep;
        for (const std::string &line : explanation.pairLines)
            y += b.paragraph(left, y, ColumnWidth, shown(line), body, Ink, 3, u"pair"_s) + 2;
    }

    if (payments.available && !explanation.paymentsNote.empty()) {
        QString note = shown(explanation.paymentsNote);
        note[0] = note[0].toUpper();
        y += 8;
        y += b.paragraph(left, y, ColumnWidth, note + u'.', face(b.words(), 11), Grey, 12, u"paymentsNote"_s);
    }
    return y - top;
}

} // namespace

QDateTime settlementTime(const std::string &date)
{
    // Longer than any such time: not worth parsing.
    if (date.size() > 64)
        return {};
    return QDateTime::fromString(QString::fromStdString(date), Qt::ISODate);
}

QString playerName(const engine::SheetRecord &record, int player)
{
    const auto index = static_cast<std::size_t>(player - 1);
    if (player < 1 || index >= record.sheet.names.size())
        return {};
    const std::string &name = record.sheet.names[index];
    const bool blank = std::all_of(name.begin(), name.end(), [](char ch) { return ch == ' ' || ch == '\t'; });
    return blank ? u"Игрок "_s + QString::number(player) : QString::fromStdString(name);
}

QColor toneColour(engine::Tone tone)
{
    return tone == engine::Tone::Loss ? Red : Navy;
}

Report layOut(const correction::SettledSheet &settled, const correction::Explanation &explanation, const SheetArt &art,
              const Faces &faces)
{
    Report report;
    Builder b(report, faces);

    const QRectF sheetBounds = boundsOf(art);
    const qreal width = Margin + sheetBounds.width() + Gap + ColumnWidth + Margin;
    const qreal inner = width - 2 * Margin;

    const QDateTime time = settlementTime(settled.date);
    report.title = time.isValid() ? u"Пуля от "_s + time.toString(u"dd.MM.yyyy, HH:mm"_s) : u"Пуля"_s;
    qreal y = Margin;
    const QFont title = face(faces.text, 20, true);
    const qreal titleStep = QFontMetricsF(title).lineSpacing();
    b.text(QRectF(Margin, y, inner, titleStep), report.title, title, Ink, u"title"_s);
    y += titleStep + 4;
    const QFont body = face(faces.text, 13);
    y += b.paragraph(Margin, y, inner, shown(explanation.optionsLine), body, Ink, 3, u"options"_s);
    if (!settled.note.empty())
        y += 4 + b.paragraph(Margin, y + 4, inner, u"Примечание: "_s + shown(settled.note, true),
                             face(faces.text, 13, false, true), Ink, 8, u"note"_s);
    y += 16;

    const qreal sheetHeight = drawSheet(b, report, settled, art, Margin, y);
    const qreal columnHeight = drawColumn(b, settled, explanation, Margin + sheetBounds.width() + Gap, y);
    y += std::max(sheetHeight, columnHeight) + 16;

    const QFont small = face(faces.text, 10);
    const qreal smallStep = QFontMetricsF(small).lineSpacing();
    b.text(QRectF(Margin, y, inner, smallStep), u"Zelvara "_s + QLatin1StringView(Version), small, Grey, u"version"_s,
           0, Qt::AlignRight | Qt::AlignVCenter);
    y += smallStep;

    report.size = QSizeF(width, y + Margin);
    return report;
}

void paint(QPainter &painter, const Report &report, const QRectF &target)
{
    if (report.size.isEmpty() || target.isEmpty())
        return;
    const qreal scale = std::min(target.width() / report.size.width(), target.height() / report.size.height());
    painter.save();
    painter.translate(target.left() + (target.width() - report.size.width() * scale) / 2, target.top());
    painter.scale(scale, scale);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    for (const Item &item : report.items) {
        switch (item.kind) {
        case Item::Kind::Picture:
            painter.drawImage(item.rect, report.picture);
            break;
        case Item::Kind::Box:
            painter.setPen(item.ink.isValid() ? QPen(item.ink, 1) : QPen(Qt::NoPen));
            painter.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
            painter.drawRect(item.rect.adjusted(0.5, 0.5, -0.5, -0.5));
            break;
        case Item::Kind::Text:
            painter.setFont(item.font);
            painter.setPen(item.ink);
            painter.drawText(item.rect, static_cast<int>(item.alignment) | Qt::TextSingleLine | Qt::TextDontClip,
                             item.text);
            break;
        }
    }
    painter.restore();
}

QImage picture(const Report &report, qreal ratio)
{
    const QSize pixels = (report.size * std::clamp(ratio, 1.0, 8.0)).toSize();
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(White);
    QPainter painter(&image);
    paint(painter, report, QRectF(QPointF(), QSizeF(pixels)));
    return image;
}

QPageLayout::Orientation orientation(const Report &report)
{
    return report.size.width() > report.size.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QByteArray pdf(const Report &report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation(report), QMarginsF(15, 15, 15, 15),
                                         QPageLayout::Millimeter));
        writer.setTitle(report.title);
        writer.setCreator(u"Zelvara "_s + QLatin1StringView(Version));
        QPainter painter(&writer);
        const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
        paint(painter, report, QRectF(QPointF(), QSizeF(page.size())));
    }
    return bytes;
}

} // namespace zelvara::report
