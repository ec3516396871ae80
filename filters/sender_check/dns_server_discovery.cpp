#include "filters/sender_check/dns_server_discovery.h"

#include <fstream>

namespace mobrelle {

namespace {

constexpr size_t kMaxResolvConf = 64 * 1024;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Four decimal numbers of 0 to 255, at most three digits each, separated by dots.
bool IsDottedIpv4(std::string_view s) {
  int parts = 0;
  size_t i = 0;
  while (true) {
    size_t digits = 0;
    int value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 4) {
      value = value * 10 + (s[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    ++parts;
    if (i == s.size()) return parts == 4;
    if (s[i] != '.' || parts == 4) return false;
    ++i;
  }
}

}  // namespace

std::string FirstIpv4Nameserver(std::string_view text) {
  constexpr std::string_view kKeyword = "nameserver";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    size_t i = 0;
    while (i < line.size() && Blank(line[i])) ++i;
    line.remove_prefix(i);
    if (line.substr(0, kKeyword.size()) != kKeyword) continue;
    line.remove_prefix(kKeyword.size());
    if (line.empty() || !Blank(line[0])) continue;  // "nameservers" or a bare keyword
    i = 0;
    while (i < line.size() && Blank(line[i])) ++i;
    size_t j = i;
    while (j < line.size() && !Blank(line[j]) && line[j] != '#' && line[j] != ';') ++j;
    const std::string_view address = line.substr(i, j - i);
    if (IsDottedIpv4(address)) return std::string(address);
  }
  return {};
}

std::string DiscoverDnsServer(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(kMaxResolvConf, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  return FirstIpv4Nameserver(text);
}

}  // namespace mobrelle
