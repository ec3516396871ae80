#include "filters/reply/reply_mail.h"

#include "polling/headers/encoded_words.h"
#include "polling/headers/extract_address.h"

namespace mobrelle {

std::string ReplyAddress(const std::string& code, const std::string& to, const std::string& specific) {
  const char mode = code.empty() ? '\0' : code[0];
  if (mode == 's') return specific;
  const std::string address = ExtractAddress(to);
  if (mode == 'v') return address;
  const size_t at = address.find('@');
  return "Postmaster@" + (at == std::string::npos ? std::string() : address.substr(at + 1));
}

std::vector<std::string> SplitTextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.push_back(std::move(line));
    line.clear();
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

ReplyMail ComposeReply(const std::string& code, const ReplyMessage& message, const std::string& memoText,
                       const std::string& specificSender) {
  ReplyMail mail;
  mail.from = ReplyAddress(code, message.to, specificSender);
  mail.recipient = ExtractAddress(message.sender);
  mail.subject = "Re:" + DecodeEncodedWords(message.subject);
  std::string body = memoText;
  const char include = code.size() > 1 ? code[1] : ' ';
  if (include == 'a' || include == 'x') body += "\r\nDestinataire(s) de votre message: " + message.to;
  if (include == 'c' || include == 'x') body += "\r\nDestinataire(s) en copie de votre message: " + message.cc;
  mail.lines = SplitTextLines(body);
  return mail;
}

ReplyMail ComposeTestMail(const std::string& recipient, const std::string& specificSender) {
  ReplyMail mail;
  mail.from = specificSender.empty() ? recipient : specificSender;
  mail.recipient = recipient;
  mail.subject = kTextTestSubject;
  mail.lines = {kTextTestBody};
  return mail;
}

}  // namespace mobrelle
