#pragma once
// Messages and archives for the analysis tests.

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/unit/inspect/zip/zip_builder.h"

namespace mobrelle::test {

inline std::string Fixture(const std::string& folder, const std::string& name) {
  return ReadFileBytes(std::string(MOBRELLE_SOURCE_DIR) + "/tests/fixtures/" + folder + "/" + name);
}

inline std::string Base64Lines(const std::string& data) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t onLine = 0;
  for (size_t i = 0; i < data.size(); i += 3) {
    const size_t n = data.size() - i < 3 ? data.size() - i : 3;
    uint32_t v = static_cast<uint8_t>(data[i]) << 16;
    if (n > 1) v |= static_cast<uint8_t>(data[i + 1]) << 8;
    if (n > 2) v |= static_cast<uint8_t>(data[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    out += n > 2 ? kAlphabet[v & 63] : '=';
    if (++onLine == 19) {
      out += "\r\n";
      onLine = 0;
    }
  }
  if (onLine) out += "\r\n";
  return out;
}

// A multipart/mixed message with a short text part and one base64 attachment.
inline std::string MessageWithAttachment(const std::string& fileNameParameter, const std::string& data,
                                         const std::string& contentType = "application/zip") {
  return "From: a@example.org\r\nSubject: pieces\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n"
         "--XX\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nSee attached.\r\n"
         "--XX\r\nContent-Type: " +
         contentType + "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=" +
         fileNameParameter + "\r\n\r\n" + Base64Lines(data) + "--XX--\r\n";
}

inline std::string Zip(std::vector<zip::test::MemberSpec> members) { return zip::test::BuildZip(members); }
inline zip::test::MemberSpec Member(const std::string& name, const std::string& data, uint16_t method = 8) {
  zip::test::MemberSpec m;
  m.name = name;
  m.data = data;
  m.method = method;
  return m;
}

}  // namespace mobrelle::test
