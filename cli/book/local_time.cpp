// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/book/local_time.h"

#include <array>
#include <ctime>
#include <string>

namespace zelvara::cli::book {

namespace {

// The local time as ISO 8601 with its offset; strftime's %z writes "+0300", ISO wants "+03:00".
zelvara::book::GameDate format(const std::tm &local)
{
    std::array<char, 64> buffer{};
    const std::size_t size = std::strftime(buffer.data(), buffer.size(), "%Y-%m-%dT%H:%M:%S%z", &local);
    const std::string_view text(buffer.data(), size);
    const std::size_t minutes = text.size() >= 2 ? text.size() - 2 : 0;
    const std::string iso = std::string(text.substr(0, minutes)) + ":" + std::string(text.substr(minutes));
    return zelvara::book::readGameDate(iso).value_or(zelvara::book::GameDate{});
}

} // namespace

zelvara::book::GameDate now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    return format(local);
}

std::optional<zelvara::book::GameDate> gameDate(std::string_view text)
{
    if (auto date = zelvara::book::readGameDate(text)) {
        return date;
    }
    std::string local(text);
    if (zelvara::book::readDay(local)) {
        local += "T00:00:00";
    } else if (local.size() == 16) {
        local += ":00";
    }
    // Read as UTC to check the form, then let mktime find the offset the zone has on that day.
    const auto checked = zelvara::book::readGameDate(local + "Z");
    if (!checked) {
        return std::nullopt;
    }
    std::tm parts{};
    parts.tm_year = std::stoi(local.substr(0, 4)) - 1900;
    parts.tm_mon = std::stoi(local.substr(5, 2)) - 1;
    parts.tm_mday = std::stoi(local.substr(8, 2));
    parts.tm_hour = std::stoi(local.substr(11, 2));
    parts.tm_min = std::stoi(local.substr(14, 2));
    parts.tm_sec = std::stoi(local.substr(17, 2));
    parts.tm_isdst = -1;
    const std::time_t t = std::mktime(&parts);
    if (t == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    std::tm back{};
    ::localtime_r(&t, &back);
    return format(back);
}

} // namespace zelvara::cli::book
