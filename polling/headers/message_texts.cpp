#include "polling/headers/message_texts.h"

#include "app/core/cp1252.h"
#include "polling/headers/encoded_words.h"
#include "polling/headers/extract_address.h"
#include "polling/headers/mail_date.h"

namespace mobrelle {

std::string CcText(const std::vector<std::string>& headerLines) {
  for (const std::string& line : headerLines) {
    if (line.size() < 3 || !SameText(std::string_view(line).substr(0, 3), "cc:")) continue;
    const size_t from = line.size() > 3 && line[3] == ' ' ? 4 : 3;
    return line.substr(from, 255);
  }
  return {};
}

MessageTexts DeriveMessageTexts(const TMimeDecode& header) {
  MessageTexts t;
  const std::string& senderField =
      ExtractAddress(header.HdrReturnPath()).empty() ? header.HdrFrom() : header.HdrReturnPath();
  t.sender = LowerCase(DecodeEncodedWords(senderField));
  t.subject = DecodeEncodedWords(header.HdrSubject());
  t.subjectForFilters = LowerCase(t.subject);
  t.toForFilters = header.HdrTo();
  t.to = DecodeEncodedWords(header.HdrTo());
  t.cc = CcText(header.HeaderLines());
  t.date = FormatMailDate(header.HdrDate());
  t.contentType =
      header.HdrCharset() + header.PartContentType() + "/" + header.HdrContentType() + "/" + header.HdrEncoding();
  return t;
}

}  // namespace mobrelle
