#pragma once
// Date-times of the history: one fixed written form, "dd/MM/yyyy HH:mm:ss", read tolerantly.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace mobrelle {

struct LocalDateTime {
  int Year = 1970, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
};

// Local civil time as days since 1970-01-01 with the time of day as fraction.
double ToDays(const LocalDateTime& t);
std::string FormatHistoryDateTime(const LocalDateTime& t);
// The fixed form first (day and month of one or two digits, '/', '.' or '-' between them, seconds
// optional), then `localeParse` when given. A two-digit year is taken in 1950..2049 so that such a
// date never looks centuries old.
std::optional<LocalDateTime> ParseHistoryDateTime(
    std::string_view text,
    const std::function<std::optional<LocalDateTime>(std::string_view)>& localeParse = {});

// What the history needs from the system: the current local time and, optionally, the
// locale's own reading of date-time texts. Tests give fixed ones.
class HistoryClock {
 public:
  virtual ~HistoryClock() = default;
  virtual LocalDateTime Now() const = 0;
  virtual std::optional<LocalDateTime> ParseLocale(std::string_view) const { return std::nullopt; }
  std::optional<LocalDateTime> Parse(std::string_view text) const;
};

// The machine's local clock.
class SystemHistoryClock : public HistoryClock {
 public:
  LocalDateTime Now() const override;
};

}  // namespace mobrelle
