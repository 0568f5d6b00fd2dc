// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report of a settled sheet: what "Сохранить картинку…", "Печать…" and "Сохранить в PDF…" put in a
// file or on paper. It is laid out once, as data (every line of text with its place and face), from the
// record of the settled sheet and its explanation, never from the window's fields; painting that data is
// all that differs between a picture, a printed page and a PDF, so the three always agree.
//
// The report holds the sheet as it was settled (every field, the corrections written in, the results),
// the date of the settlement, the options in words, the players' note, the results by name, the fewest
// transfers and the note on what was rounded.
//
// Qt GUI only (QPdfWriter is part of it): the window hands in the sheet's picture and the places of its
// fields (SheetArt) and the faces it writes in. Printing needs Qt Print Support and lives in a module of
// its own (print/), loaded on first use.

#include "correction/play.h"
#include "engine/result_format.h"
#include "engine/sheet.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QRect>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

class QByteArray;
class QPainter;

namespace zelvara::report {

// A field of the sheet's drawing and its box, in the coordinates of the sheet's panel.
struct FieldPlace
{
    engine::FieldId field;
    QRect box;
};

// The blank sheet a report draws on: the sheet's picture (at any resolution) and where it goes, where the
// "Вист =" label sits, and the box of every field, results included.
struct SheetArt
{
    QImage picture;
    QRect picturePlace;
    QPoint whistLabel;
    std::vector<FieldPlace> fields;
};

// The faces the report writes in: `text` for words and numbers, `narrow` for the names on the sheet, as
// the window writes them. Their sizes do not matter: the report sets its own.
struct Faces
{
    QFont text;
    QFont narrow;
};

// One thing drawn, in the report's own pixels (the report is `Report::size` of them).
struct Item
{
    enum class Kind { Text, Box, Picture };
    Kind kind = Kind::Text;
    QRectF rect;
    // A line of text, drawn as it stands (never rich text).
    QString text;
    QFont font;
    // The text's colour, or a box's border (none when invalid).
    QColor ink;
    // A box's fill (none when invalid).
    QColor fill;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // What the item shows: a sheet field's control name ("HeapOfP1For4", "NameOfP2For4", "ResultOfP1For4"),
    // or a part of the report: "title", "options", "note", "heading", "name", "result", "transfer", "pair",
    // "paymentsNote", "version", "whistLabel", "sheet". `player` is the player a name or result is of.
    QString role;
    int player = 0;
};

struct Report
{
    // The report's size in its own pixels; it is drawn scaled to whatever it is drawn on.
    QSizeF size;
    std::vector<Item> items;
    // The sheet's picture, drawn into the "sheet" item's rectangle.
    QImage picture;
    // The report's heading: "Пуля от 08.12.2026, 21:40".
    QString title;
};

// Lays out the report of a settled sheet. `explanation` is correction::explain of the same record and
// play; `art` is the blank sheet of the record's player count. Every text from outside (names, the note,
// field texts) is shown as plain text, bounded to what its place can show.
Report layOut(const correction::SettledSheet &settled, const correction::Explanation &explanation, const SheetArt &art,
              const Faces &faces);

// Draws the report into `target`, in the painter's coordinates: scaled to fit, its proportions kept, at
// the top and centred across.
void paint(QPainter &painter, const Report &report, const QRectF &target);

// The report as a picture of `ratio` device pixels per report pixel, on white.
QImage picture(const Report &report, qreal ratio);

// The way an A4 page is turned for the report: across for a report wider than tall, so it fills the page.
QPageLayout::Orientation orientation(const Report &report);

// The report as a PDF document of one A4 page: vector text with its fonts embedded, so the names and
// numbers can be searched and copied.
QByteArray pdf(const Report &report);

// The time a settled sheet is dated by ("2026-12-08T21:40:00+03:00"), at the offset it was written
// with; an invalid time when the text is no such time (a sheet file may carry anything there).
QDateTime settlementTime(const std::string &date);

// A player's name as the report and the copies write it: as typed, or "Игрок 2" when left empty.
QString playerName(const engine::SheetRecord &record, int player);

// The colour of a result: navy for a gain or nothing, red for a loss.
QColor toneColour(engine::Tone tone);

} // namespace zelvara::report
