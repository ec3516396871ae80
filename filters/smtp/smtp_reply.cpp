#include "filters/smtp/smtp_reply.h"

#include <cstdio>

namespace mobrelle {
namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

}  // namespace

int SmtpReplyCode(const std::string& line, bool* continued) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  int code = 0;
  size_t digits = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 9) {
    code = code * 10 + (line[i] - '0');
    ++i;
    ++digits;
  }
  if (continued) *continued = digits > 0 && i < line.size() && line[i] == '-';
  return code;
}

SmtpReplyReader::Status SmtpReplyReader::Next() {
  size_t start = 0;
  for (;;) {
    const size_t lf = buffer_.find('\n', start);
    if (lf == std::string::npos) {
      buffer_.erase(0, start);
      return buffer_.size() > kSmtpMaxReplyLine ? Status::TooLong : Status::NeedMore;
    }
    if (lf - start > kSmtpMaxReplyLine) return Status::TooLong;
    size_t end = lf;
    if (end > start && buffer_[end - 1] == '\r') --end;
    std::string line = buffer_.substr(start, end - start);
    start = lf + 1;
    bool continued = false;
    const int code = SmtpReplyCode(line, &continued);
    if (continued) continue;
    code_ = code;
    last_ = std::move(line);
    buffer_.erase(0, start);
    return Status::Reply;
  }
}

std::string SmtpOneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return text;
}

std::string SmtpAddressCommand(const std::string& verb, const std::string& address) {
  const std::string a = Trim(SmtpOneLine(address));
  if (a.find('<') != std::string::npos && a.find('>') != std::string::npos) return verb + ":" + a;
  return verb + ":<" + a + ">";
}

std::string SmtpDate(std::time_t t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm g{};
  gmtime_r(&t, &g);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %4d %02d:%02d:%02d GMT", kDays[g.tm_wday % 7], g.tm_mday,
                kMonths[g.tm_mon % 12], g.tm_year + 1900, g.tm_hour, g.tm_min, g.tm_sec);
  return buf;
}

std::vector<std::string> SmtpDataLines(const SmtpMessage& m, std::time_t now) {
  std::vector<std::string> out;
  const std::string from = SmtpOneLine(m.from);
  if (!from.empty()) out.push_back("From: " + from);
  out.push_back("Subject: " + SmtpOneLine(m.subject));
  if (!from.empty()) out.push_back("Sender: " + from);
  out.push_back("Mime-Version: 1.0");
  out.push_back("Content-Type: " + SmtpOneLine(m.contentType) + "; charset=\"" + SmtpOneLine(m.charset) + "\"");
  out.push_back("Date: " + SmtpDate(now));
  out.push_back(std::string("X-Mailer: ") + kSmtpMailer);
  out.emplace_back();
  for (const std::string& entry : m.lines) {
    // A line break inside an entry makes separate lines, each stuffed, so no entry can end DATA.
    size_t start = 0;
    for (;;) {
      size_t lf = entry.find('\n', start);
      size_t end = lf == std::string::npos ? entry.size() : lf;
      size_t cut = end;
      if (lf != std::string::npos && cut > start && entry[cut - 1] == '\r') --cut;
      std::string line = entry.substr(start, std::min<size_t>(cut - start, 1023));
      for (char& c : line)
        if (c == '\r' || c == '\0') c = ' ';
      if (!line.empty() && line[0] == '.') line.insert(0, 1, '.');
      out.push_back(std::move(line));
      if (lf == std::string::npos) break;
      start = lf + 1;
    }
  }
  out.push_back(".");
  return out;
}

}  // namespace mobrelle
