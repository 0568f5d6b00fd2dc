// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// zelvara-settle --batch: JSON Lines in, one sheet a line; one compact JSON line out for each sheet, in
// the order read. A malformed line, or one longer than MaxSheetSize, gets an error line of its own and
// the batch goes on.

#include "cli/report.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace zelvara::cli {

// What one input line gave: the output line (compact JSON ending in a newline) and whether the sheet
// settled to results.
struct BatchLine
{
    std::string json;
    bool settled = false;
};

// Settles the input line numbered `number` (counted from 1). A blank line (spaces, tabs, a carriage
// return) is no sheet and gives nothing. regionalSeparator is used by sheets that name no separator.
std::optional<BatchLine> settleBatchLine(std::string_view line, std::uint64_t number, char regionalSeparator,
                                         Additions additions = {});

struct BatchProgress
{
    std::uint64_t lines = 0;   // lines read so far, the number of the last one
    std::uint64_t sheets = 0;  // lines that held a sheet or a malformed one
    std::uint64_t settled = 0; // sheets that settled to results
};

// Why a batch stopped before the end of its input.
struct StreamFailure
{
    enum class Side { Reading, Writing };
    Side side = Side::Reading;
    int error = 0; // an errno value; ENOMEM when a line could not be held in memory
};

// Reads the file descriptor `input` to its end, as it comes (a line is answered as soon as it is read
// whole), and writes one line to `output` for each sheet. A line is held in memory only up to
// MaxSheetSize; the rest of a longer one is read past. `progress` counts on from where it stood, so
// several files make one numbered stream.
std::optional<StreamFailure> runBatch(int input, std::FILE *output, char regionalSeparator, BatchProgress &progress,
                                      Additions additions = {});

} // namespace zelvara::cli
