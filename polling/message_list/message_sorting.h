#pragma once
// How the message list compares two cells of a column when it is sorted. Texts are Windows-1252.

#include <cstdint>
#include <string_view>

namespace mobrelle {

// The display date "dd/mm/yyyy hh:mm[:ss]" as a number that orders like the date-time, or INT64_MIN
// for a text that cannot be read, so that it comes first in ascending order.
int64_t SortableDateTime(std::string_view text);
// A size as the list shows it ("1.234"): the '.' removed and read as a number; -1 when what is left
// is empty or not a number.
int64_t SortableSize(std::string_view text);

// <0, 0, >0 as `a` sorts before, with or after `b`.
int CompareDates(std::string_view a, std::string_view b);
int CompareSizes(std::string_view a, std::string_view b);
int CompareTextNoCase(std::string_view a, std::string_view b);

}  // namespace mobrelle
