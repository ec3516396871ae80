#include "polling/message_list/message_sorting.h"

#include <limits>

#include "app/core/cp1252.h"

namespace mobrelle {

namespace {

// Reads exactly `digits` decimal digits at `pos`.
bool ReadFixed(std::string_view text, size_t pos, size_t digits, int& value) {
  if (pos + digits > text.size()) return false;
  value = 0;
  for (size_t i = pos; i < pos + digits; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// One or two digits at `pos`; `pos` moves past them.
bool ReadShort(std::string_view text, size_t& pos, int& value) {
  size_t n = 0;
  value = 0;
  while (pos < text.size() && n < 2 && text[pos] >= '0' && text[pos] <= '9') value = value * 10 + (text[pos++] - '0'), ++n;
  return n > 0;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int64_t SortableDateTime(std::string_view text) {
  constexpr int64_t kUnreadable = std::numeric_limits<int64_t>::min();
  int day = 0, month = 0, year = 0;
  if (text.size() < 10 || text[2] != '/' || text[5] != '/') return kUnreadable;
  if (!ReadFixed(text, 0, 2, day) || !ReadFixed(text, 3, 2, month) || !ReadFixed(text, 6, 4, year)) return kUnreadable;
  if (month < 1 || month > 12 || year < 1 || day < 1 || day > DaysInMonth(year, month)) return kUnreadable;

  // The time: h[h]:mm with optional :ss, after one space.
  size_t pos = 10;
  if (pos >= text.size() || text[pos] != ' ') return kUnreadable;
  ++pos;
  int hour = 0, minute = 0, second = 0;
  if (!ReadShort(text, pos, hour) || pos >= text.size() || text[pos] != ':') return kUnreadable;
  ++pos;
  if (!ReadShort(text, pos, minute)) return kUnreadable;
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!ReadShort(text, pos, second)) return kUnreadable;
  }
  if (pos != text.size() || hour > 23 || minute > 59 || second > 59) return kUnreadable;

  const int64_t date = (static_cast<int64_t>(year) * 100 + month) * 100 + day;
  return date * 100000 + hour * 3600 + minute * 60 + second;
}

int64_t SortableSize(std::string_view text) {
  int64_t value = 0;
  bool any = false;
  for (const char c : text) {
    if (c == '.') continue;
    if (c < '0' || c > '9') return -1;
    if (value > (std::numeric_limits<int64_t>::max() - 9) / 10) return std::numeric_limits<int64_t>::max();
    value = value * 10 + (c - '0');
    any = true;
  }
  return any ? value : -1;
}

int CompareDates(std::string_view a, std::string_view b) { return Sign(SortableDateTime(a), SortableDateTime(b)); }

int CompareSizes(std::string_view a, std::string_view b) { return Sign(SortableSize(a), SortableSize(b)); }

int CompareTextNoCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = Cp1252Lower(static_cast<unsigned char>(a[i]));
    const unsigned char y = Cp1252Lower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return Sign(a.size(), b.size());
}

}  // namespace mobrelle
