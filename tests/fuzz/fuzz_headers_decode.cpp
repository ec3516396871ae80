// The header helpers on arbitrary text, and the whole path of a TOP reply: lines into the header
// buffer, decoding, and the message texts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/core/cp1252.h"
#include "polling/headers/encoded_words.h"
#include "polling/headers/extract_address.h"
#include "polling/headers/header_buffer.h"
#include "polling/headers/mail_date.h"
#include "polling/headers/message_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Decoding never makes a text longer.
  if (mobrelle::DecodeEncodedWords(text).size() > size) std::abort();

  const std::string address = mobrelle::ExtractAddress(text);
  if (!address.empty() && (address.find('@') == std::string::npos ||
                           mobrelle::LowerCase(text).find(address) == std::string::npos))
    std::abort();

  const std::string date = mobrelle::FormatMailDate(text);
  if (!date.empty() && date.size() < 12) std::abort();

  mobrelle::HeaderBuffer buffer;
  buffer.AppendLine("Subject: the former reply, replaced");
  buffer.Rewind();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    buffer.AppendLine(text.substr(start, end - start));
    start = end + 1;
  }
  mobrelle::TMimeDecode decoder;
  decoder.DecodeBytes(buffer.Bytes());
  const mobrelle::MessageTexts t = mobrelle::DeriveMessageTexts(decoder);
  if (t.cc.size() > 255) std::abort();
  return 0;
}
