// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// zelvara-settle: a JSON sheet in, the engine, a table or JSON out. This file turns the JSON text into
// the engine's input values and refuses anything it cannot read unambiguously; the folder depends on
// the engine, the correction rules and nlohmann_json, never on Qt.

#include "engine/sheet.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zelvara::cli {

enum class Button { OK, Cancel };

// The button pressed in the correction dialog, should one open.
struct Answer
{
    Button button = Button::OK;
    // The drawn player for the correction by lot. Player 1 when the answer names none: the dialog
    // checks that player on opening.
    int player = 1;
};

struct Request
{
    engine::SheetTexts sheet;
    engine::Options options;
    // Nothing when the sheet leaves it to the user's locale.
    std::optional<char> decimalSeparator;
    std::optional<Answer> answer;
};

// What is wrong with the input, as one line for the user.
struct InputError
{
    std::string what;
};

// Reads a request from UTF-8 JSON text. Fields the request does not mention keep the texts the window
// shows before anything is typed.
std::variant<Request, InputError> parseRequest(std::string_view input);

} // namespace zelvara::cli
