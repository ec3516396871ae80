#include "polling/headers/mail_date.h"

#include <array>
#include <vector>

#include "app/core/cp1252.h"
#include "app/core/texts.h"

namespace mobrelle {

namespace {

ShortDateFormat& CurrentFormat() {
  static ShortDateFormat format;
  return format;
}

// dd/mm/yyyy, built by hand: formatting a number through the C library costs far more.
std::string DefaultShortDate(int year, int month, int day) {
  std::string text = "00/00/0000";
  auto put = [&text](size_t at, int value, int digits) {
    for (int k = digits - 1; k >= 0; --k, value /= 10)
      text[at + static_cast<size_t>(k)] = static_cast<char>('0' + value % 10);
  };
  put(0, day, 2);
  put(3, month, 2);
  put(6, year, 4);
  return text;
}

bool ReadNumber(std::string_view field, int& value) {
  if (field.empty() || field.size() > 9) return false;
  value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// 1 to 12 by the month names of the text table ("Jan" to "Dec"), 0 when unknown. The names are
// split once per language rather than for every message.
int MonthNumber(std::string_view name) {
  struct Names {
    int generation = -1;
    std::array<std::string, 12> month;
    int count = 0;  // a table that names fewer months leaves the others unknown
  };
  thread_local Names names;
  if (names.generation != TextGeneration()) {
    const std::string table = Txt(1002);
    names.count = 0;
    for (size_t start = 0; names.count < 12 && start <= table.size(); ++names.count) {
      size_t end = table.find("\r\n", start);
      if (end == std::string::npos) end = table.size();
      names.month[static_cast<size_t>(names.count)] = table.substr(start, end - start);
      start = end + 2;
    }
    names.generation = TextGeneration();
  }
  for (int month = 1; month <= names.count; ++month)
    if (SameText(names.month[static_cast<size_t>(month - 1)], name)) return month;
  return 0;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

}  // namespace

void SetShortDateFormat(ShortDateFormat format) { CurrentFormat() = std::move(format); }

std::string FormatMailDate(std::string_view text) {
  const size_t comma = text.find(',');
  size_t pos = comma == std::string_view::npos ? 0 : comma + 1;
  while (pos < text.size() && text[pos] == ' ') ++pos;

  // Day, month and year each end at a space, which must be there.
  std::string_view fields[3];
  for (auto& field : fields) {
    const size_t space = text.find(' ', pos);
    if (space == std::string_view::npos) return {};
    field = text.substr(pos, space - pos);
    pos = space + 1;
  }
  if (pos >= text.size()) return {};
  const size_t timeEnd = text.find_first_of(" ,", pos);
  const std::string_view time = text.substr(pos, timeEnd == std::string_view::npos ? std::string_view::npos : timeEnd - pos);
  if (time.empty()) return {};

  int day = 0, year = 0;
  const int month = MonthNumber(fields[1]);
  if (!ReadNumber(fields[0], day) || !ReadNumber(fields[2], year) || month == 0) return {};
  if (year < 100) year += year < 50 ? 2000 : 1900;
  if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) return {};

  const ShortDateFormat& format = CurrentFormat();
  std::string out = format ? format(year, month, day) : DefaultShortDate(year, month, day);
  out += ' ';
  out.append(time);
  return out;
}

}  // namespace mobrelle
