#include "filters/lists/history_dates.h"

#include <cstdio>
#include <ctime>

namespace mobrelle {

namespace {

long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return days[m - 1];
}

// Reads 1 to maxDigits digits.
bool Number(std::string_view s, std::size_t& i, int maxDigits, int& out, int& digits) {
  out = 0;
  digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < maxDigits) {
    out = out * 10 + (s[i] - '0');
    ++i;
    ++digits;
  }
  return digits > 0;
}

bool Valid(const LocalDateTime& t) {
  return t.Month >= 1 && t.Month <= 12 && t.Day >= 1 && t.Day <= DaysInMonth(t.Year, t.Month) &&
         t.Hour >= 0 && t.Hour <= 23 && t.Minute >= 0 && t.Minute <= 59 && t.Second >= 0 &&
         t.Second <= 59;
}

int WindowYear(int y) { return y >= 100 ? y : (y < 50 ? 2000 + y : 1900 + y); }

std::optional<LocalDateTime> ParseFixed(std::string_view s) {
  LocalDateTime t;
  std::size_t i = 0;
  int n = 0;
  if (!Number(s, i, 2, t.Day, n)) return std::nullopt;
  if (i >= s.size() || (s[i] != '/' && s[i] != '.' && s[i] != '-')) return std::nullopt;
  const char sep = s[i++];
  if (!Number(s, i, 2, t.Month, n)) return std::nullopt;
  if (i >= s.size() || s[i] != sep) return std::nullopt;
  ++i;
  int year = 0;
  if (!Number(s, i, 4, year, n) || (n != 2 && n != 4)) return std::nullopt;
  t.Year = n == 2 ? WindowYear(year) : year;
  if (i < s.size()) {
    if (s[i] != ' ') return std::nullopt;
    while (i < s.size() && s[i] == ' ') ++i;
    if (!Number(s, i, 2, t.Hour, n)) return std::nullopt;
    if (i >= s.size() || s[i] != ':') return std::nullopt;
    ++i;
    if (!Number(s, i, 2, t.Minute, n) || n != 2) return std::nullopt;
    if (i < s.size() && s[i] == ':') {
      ++i;
      if (!Number(s, i, 2, t.Second, n) || n != 2) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
  }
  if (!Valid(t)) return std::nullopt;
  return t;
}

}  // namespace

double ToDays(const LocalDateTime& t) {
  return static_cast<double>(DaysFromCivil(t.Year, t.Month, t.Day)) +
         (t.Hour * 3600.0 + t.Minute * 60.0 + t.Second) / 86400.0;
}

std::string FormatHistoryDateTime(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", t.Day, t.Month, t.Year, t.Hour,
                t.Minute, t.Second);
  return buf;
}

std::optional<LocalDateTime> ParseHistoryDateTime(
    std::string_view text, const std::function<std::optional<LocalDateTime>(std::string_view)>& localeParse) {
  if (auto t = ParseFixed(text)) return t;
  if (!localeParse) return std::nullopt;
  auto t = localeParse(text);
  if (!t) return std::nullopt;
  t->Year = WindowYear(t->Year);
  if (!Valid(*t)) return std::nullopt;
  return t;
}

std::optional<LocalDateTime> HistoryClock::Parse(std::string_view text) const {
  return ParseHistoryDateTime(text, [this](std::string_view s) { return ParseLocale(s); });
}

LocalDateTime SystemHistoryClock::Now() const {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace mobrelle
