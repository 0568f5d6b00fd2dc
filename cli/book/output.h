// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What zelvara-book prints: JSON for scripts (Boost.JSON), a text table for a person, CSV for a
// spreadsheet. Amounts come twice where scripts read them: whole hundredths, and the text in the user's
// format with the user's decimal separator.

#include "book/book.h"

#include <string>
#include <vector>

namespace zelvara::cli::book {

using zelvara::book::Record;
using zelvara::book::SeasonPayments;
using zelvara::book::Standing;

// One line of `add`: {"file": ..., "id": 7} or {"file": ..., "error": ...}.
std::string addedLine(const std::string &file, std::int64_t id);
std::string notAddedLine(const std::string &file, const std::string &error);

// {"records": [...]} is written in pieces, so that a long list goes out a page at a time.
std::string recordsOpening();
std::string recordJson(const Record &record, bool first, char separator);
std::string recordsClosing();
std::string recordText(const Record &record, char separator);

std::string standingsJson(const std::vector<Standing> &standings, char separator);
std::string standingsText(const std::vector<Standing> &standings, char separator);
std::string paymentsJson(const SeasonPayments &payments, char separator);
std::string paymentsText(const SeasonPayments &payments, char separator);

// RFC 4180: UTF-8, fields quoted where they must be, lines ended by CR LF.
std::string recordsCsvHeader();
std::string recordCsv(const Record &record, char separator);
std::string standingsCsv(const std::vector<Standing> &standings, char separator);

} // namespace zelvara::cli::book
