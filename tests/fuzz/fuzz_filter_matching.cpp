// Matching on arbitrary filter texts and message fields. Input: filter, LF, text, LF, Cc text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "filters/matching/list_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Message fields and filter texts are at most about a thousand bytes.
  if (size > 4096) return 0;
  std::string_view in(reinterpret_cast<const char*>(data), size);
  auto next = [&in] {
    const std::size_t lf = in.find('\n');
    std::string_view part = in.substr(0, lf);
    in = lf == std::string_view::npos ? std::string_view() : in.substr(lf + 1);
    return part;
  };
  const std::string_view filter = next(), text = next(), cc = next();

  mobrelle::CustomJokers jokers;
  jokers.List = {{'v', "aeiou"}, {'?', "xyz"}};
  jokers.Characters = "v?";
  static const auto plain = mobrelle::MakeMatchSettings("", "");
  const auto withJokers = mobrelle::MakeMatchSettings("", "", jokers);

  (void)mobrelle::MatchWords(filter, text);
  const bool m = mobrelle::MatchFilter(filter, text, plain);
  (void)mobrelle::MatchFilter(filter, text, withJokers);
  if (text.empty() && m) std::abort();

  mobrelle::FilterList list{{{std::string(filter), "L", "d", "N ", "", false},
                             {std::string(filter), "C", "R", "N ", "", false}}};
  const auto r = mobrelle::ScanRecipientList(list, text, cc, plain);
  if (r.DecidingEntry >= 0 && !r.ToCaught && !r.CcCaught) std::abort();
  (void)mobrelle::ScanSenderList(list, text, plain);
  (void)mobrelle::ScanSubjectList(list, text, plain);
  return 0;
}
