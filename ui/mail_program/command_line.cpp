#include "ui/mail_program/command_line.h"

#include <sys/stat.h>

#include <cstdlib>

#include "app/core/cp1252.h"
#include "app/core/main_settings.h"
#include "app/core/texts.h"

namespace mobrelle {
namespace {

bool IsExistingFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ExecutableFromCommand(std::string_view c) {
  if (c.empty()) return {};
  std::string text(c);
  if (text.front() == '"') {
    text.erase(0, 1);
    const size_t q = text.find('"');
    if (q != std::string::npos) text.erase(q);
  }
  std::string result = text;
  if (!text.empty() && text.front() == '%') {
    // The name runs to the next "%"; without one, to the end of the text.
    const size_t close = text.find('%', 1);
    const std::string name = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    const std::string rest = close == std::string::npos ? std::string() : text.substr(close + 1);
    std::string value;
    if (!name.empty()) {
      if (const char* v = std::getenv(name.c_str()); v && std::string_view(v).size() <= kMaxCommandVariable) value = v;
    }
    result = value + rest;
  }
  if (const size_t comma = result.find(','); comma != std::string::npos) result.erase(comma);
  while (!result.empty() && !IsExistingFile(result)) result.pop_back();
  return result;
}

int IconNumber(std::string_view iconValue) {
  const size_t comma = iconValue.find(',');
  if (comma == std::string_view::npos) return 0;
  std::string_view n = iconValue.substr(comma + 1);
  if (!n.empty() && n.front() == '-') n.remove_prefix(1);
  n = n.substr(0, 2);
  if (n.empty()) return 0;
  int value = 0;
  for (char ch : n) {
    if (ch < '0' || ch > '9') return 0;
    value = value * 10 + (ch - '0');
  }
  return value;
}

std::string StripFilterNote(std::string_view text) {
  const size_t note = text.find("\xA0(");
  return std::string(text.substr(0, note));
}

std::string PercentEncode(std::string_view utf8, std::string_view keep) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size());
  for (const char ch : utf8) {
    const auto b = static_cast<unsigned char>(ch);
    const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                            b == '-' || b == '.' || b == '_' || b == '~';
    if (unreserved || (b < 0x80 && keep.find(ch) != std::string_view::npos)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  return out;
}

std::string ReplyMailto(std::string_view sender, std::string_view subject) {
  const std::string to = Cp1252ToUtf8(StripFilterNote(sender));
  const std::string re = "Re: " + Cp1252ToUtf8(StripFilterNote(subject));
  return "mailto:" + PercentEncode(to, "@") + "?subject=" + PercentEncode(re);
}

std::string SupportMailto() {
  const std::string subject = std::string("Cl\xC3\xA9s de registre Mail ") + kVersionString;
  const std::string body =
      "<Coller ici le contenu du presse-papier en pr\xC3\xA9" "cisant les sympt\xC3\xB4mes puis envoyer ce message>";
  return std::string("mailto:") + PercentEncode(kSupportAddress, "@") + "?subject=" + PercentEncode(subject) +
         "&body=" + PercentEncode(body);
}

std::string LaunchFailureText(std::string_view commandCp1252) {
  return Txt(1057) + "\"" + std::string(commandCp1252) + "\"";
}

}  // namespace mobrelle
