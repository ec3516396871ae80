#include "polling/pop3/pop3_reply.h"

#include <cctype>
#include <limits>

namespace mobrelle {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at `pos`, saturating instead of overflowing; leaves `pos` after them.
int64_t ReadNumber(std::string_view s, size_t& pos) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  int64_t n = 0;
  while (pos < s.size() && IsDigit(s[pos])) {
    const int d = s[pos] - '0';
    n = (n > (kMax - d) / 10) ? kMax : n * 10 + d;
    ++pos;
  }
  return n;
}

size_t FirstDigit(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (IsDigit(s[i])) return i;
  return std::string_view::npos;
}

}  // namespace

bool IsPositiveReply(std::string_view line) { return !line.empty() && line[0] == '+'; }

Pop3Numbers ExtractNumbers(std::string_view line) {
  Pop3Numbers r;
  size_t pos = FirstDigit(line);
  if (pos == std::string_view::npos) return r;
  const int64_t first = ReadNumber(line, pos);
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r' || line[pos] == '\n'))
    ++pos;
  // A lone number counts as no answer at all: both stay 0.
  if (pos >= line.size()) return r;
  r.first = first;
  r.second = ReadNumber(line, pos);
  return r;
}

Pop3Uid ExtractUid(std::string_view line) {
  Pop3Uid r;
  size_t pos = FirstDigit(line);
  if (pos == std::string_view::npos) return r;
  r.number = ReadNumber(line, pos);
  while (pos < line.size() && line[pos] == ' ') ++pos;
  while (pos < line.size() && line[pos] >= '!' && line[pos] <= '~') r.uid += line[pos++];
  return r;
}

std::string ApopTimestamp(std::string_view greeting) {
  const size_t open = greeting.find('<');
  if (open == std::string_view::npos) return {};
  const size_t close = greeting.find('>', open + 1);
  if (close == std::string_view::npos) return {};
  return std::string(greeting.substr(open, close - open + 1));
}

MultiLineKind UnstuffLine(std::string_view& line) {
  if (line == ".") return MultiLineKind::End;
  if (line.size() > 1 && line[0] == '.' && line[1] == '.') line.remove_prefix(1);
  return MultiLineKind::Line;
}

std::string TraceOfCommand(std::string_view command) {
  auto startsWith = [&](std::string_view word) {
    if (command.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
      if (std::toupper(static_cast<unsigned char>(command[i])) != word[i]) return false;
    return true;
  };
  if (startsWith("PASS ")) return "PASS ****";
  if (startsWith("APOP ")) {
    // Keep the account name, hide the digest.
    const size_t space = command.find(' ', 5);
    return std::string(command.substr(0, space == std::string_view::npos ? command.size() : space)) + " ****";
  }
  return std::string(command);
}

int ClampToInt(int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace mobrelle
