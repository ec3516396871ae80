#include "filters/verdicts/exclusive_recipients.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/cp1252.h"
#include "polling/headers/extract_address.h"

namespace mobrelle {

namespace {

std::string_view DomainOf(std::string_view address) {
  const auto at = address.find('@');
  return at == std::string_view::npos ? std::string_view{} : address.substr(at + 1);
}

std::string_view LocalPartOf(std::string_view address) {
  return address.substr(0, address.find('@'));
}

}  // namespace

ExclusiveCheck CheckExclusiveRecipients(std::string_view to, std::string_view cc,
                                        std::string_view destUnique, int flags) {
  // The domain, then the authorised local parts.
  const auto comma = destUnique.find(',');
  const std::string_view domain = destUnique.substr(0, comma);
  std::vector<std::string_view> mine;
  if (comma != std::string_view::npos) {
    std::string_view rest = destUnique.substr(comma + 1);
    while (!rest.empty()) {
      const auto next = rest.find(',');
      if (next == std::string_view::npos) {
        mine.push_back(rest);
        break;
      }
      mine.push_back(rest.substr(0, next));
      rest.remove_prefix(next + 1);
    }
  }

  std::string text(to);
  text += ' ';
  text += cc;
  while (!text.empty() && (text.back() == ' ' || text.back() == ',' || text.back() == ';')) text.pop_back();

  std::vector<std::string> collected;
  while (text.find('@') != std::string::npos) {
    const std::string address = ExtractAddress(text);
    if (!address.empty() && address.find('"') == std::string::npos &&
        std::find(collected.begin(), collected.end(), address) == collected.end() &&
        (SameText(DomainOf(address), domain) || (flags & kExclNoneOfMine))) {
      collected.push_back(address);
    }
    const auto cut = text.find_last_of(" ,;");
    const std::size_t keep = (cut == std::string::npos || cut == 0) ? 1 : cut;
    // A text that no cut shortens (such as "@x") would be read again for ever.
    if (keep >= text.size()) break;
    text.resize(keep);
  }

  bool allAuthorised = true, mineFound = false;
  for (const std::string& r : collected) {
    const bool sameDomain = SameText(DomainOf(r), domain);
    bool matched = false;
    for (std::string_view a : mine) {
      if (!sameDomain && !(flags & kExclOtherAnyDomain)) continue;
      if (SameText(LocalPartOf(r), a) && (sameDomain || (flags & kExclNoneAnyDomain))) {
        matched = true;
        break;
      }
    }
    if (matched)
      mineFound = true;
    else
      allAuthorised = false;
  }

  if ((flags & kExclOtherAddress) && !allAuthorised) return {false, 1};
  if ((flags & kExclNoneOfMine) && !mineFound) return {false, 2};
  return {};
}

}  // namespace mobrelle
