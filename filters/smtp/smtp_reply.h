#pragma once
// SMTP replies and the text we send, in plain C++: reply lines cut from the received bytes, the
// command lines, and the message after DATA.

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace mobrelle {

// A line longer than this ends the reply in failure, so a server cannot make us hold unbounded text.
inline constexpr size_t kSmtpMaxReplyLine = 64 * 1024;

class SmtpReplyReader {
 public:
  enum class Status { NeedMore, Reply, TooLong };
  // Adds received bytes.
  void Feed(const char* data, size_t size) { buffer_.append(data, size); }
  // Takes the next whole reply from what was received: its final line and code.
  Status Next();
  int Code() const { return code_; }
  const std::string& LastLine() const { return last_; }
  void Clear() { buffer_.clear(); }

 private:
  std::string buffer_;
  int code_ = 0;
  std::string last_;
};

// Code of a reply line (leading spaces skipped; 0 without digits) and whether more lines follow.
int SmtpReplyCode(const std::string& line, bool* continued = nullptr);

// CR, LF and NUL become spaces, so no text can end a line of ours early.
std::string SmtpOneLine(std::string text);
// "MAIL FROM:<x>" / "RCPT TO:<x>", without a second pair of brackets when x has them.
std::string SmtpAddressCommand(const std::string& verb, const std::string& address);

// "Fri, 9 Dec 2022 14:05:09 GMT".
std::string SmtpDate(std::time_t t);

struct SmtpMessage {
  std::string from, subject;
  std::string charset = "iso-8859-1";
  std::string contentType = "text/plain";
  std::vector<std::string> lines;
};
inline constexpr const char* kSmtpMailer = "Mobrelle SMTP 1.0";

// The lines sent after DATA, up to and including the final ".": headers, an empty line, the body
// lines cut to 1023 bytes and dot-stuffed.
std::vector<std::string> SmtpDataLines(const SmtpMessage& m, std::time_t now);

}  // namespace mobrelle
