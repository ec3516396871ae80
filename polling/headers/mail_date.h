#pragma once
// Display form of a message's Date header.

#include <functional>
#include <string>
#include <string_view>

namespace mobrelle {

// "Tue, 15 Nov 1994 08:12:31 -0800" → short date, a space and "08:12:31". Empty when the day or the
// year is not a number, the month unknown, the date impossible, or the text ends before the time.
// Two-digit years: 00-49 are 20xx, 50-99 are 19xx.
std::string FormatMailDate(std::string_view text);

// The short date form in use; the default writes dd/mm/yyyy. The program replaces it with the
// desktop's own short date form; an empty function restores the default.
using ShortDateFormat = std::function<std::string(int year, int month, int day)>;
void SetShortDateFormat(ShortDateFormat format);

}  // namespace mobrelle
