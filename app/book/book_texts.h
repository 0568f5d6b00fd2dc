// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the book's windows write: amounts, dates, a record's players in one line, and every failure of
// the book in the player's words. The book (book/) words its failures in English for zelvara-book; the
// windows say them in Russian here, naming the file.

#include "book/book.h"
#include "book/settled_sheet.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace zelvara::app {

// A result as the sheet shows it: "+29", "-81", "+12,5", "0".
QString signedAmount(std::int64_t hundredths, char separator);
// An amount to pay, two decimals: "29,00".
QString moneyAmount(std::int64_t hundredths, char separator);

// A game's date as written, in the player's form: "2026-12-08T21:40:00+03:00" is "08.12.2026 21:40"
// (the time of the place it was written, whatever the zone here). Anything else comes back as it is.
QString shownDate(const std::string &date);
// The moment a date names, in local time; an invalid QDateTime when it names none.
QDateTime momentOf(const std::string &date);
// The date of a game at a moment, written with this computer's offset at that moment; nothing for a
// moment the book cannot keep (before the year 1 or after 9999).
std::optional<book::GameDate> gameDateOf(const QDateTime &moment);

// A record's players with their results, in seat order: "Запад -81; Север +29; Восток -49; Юг +101".
QString resultsLine(const book::Record &record, char separator);
// The players alone: "Запад, Север, Восток, Юг".
QString playersLine(const book::Record &record);

// A tooltip that shows `text` as it is: a tooltip takes anything that looks like HTML for HTML.
QString plainToolTip(const QString &text);

// The failure of the book in one or two sentences that name its file.
QString bookProblem(const book::BookError &error, const QString &path);
// Why a settled sheet cannot go into the book, as the end of a sentence: "у одного из игроков нет имени".
QString notRecordableReason(const book::NotRecordable &refusal);

} // namespace zelvara::app
