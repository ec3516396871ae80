#include "filters/matching/filter_matching.h"

#include "app/core/cp1252.h"
#include "app/core/main_settings.h"

namespace mobrelle {

namespace {

// The lower-case table copied once, so that the comparison loops do not call out for every byte.
struct LowerTable {
  unsigned char map[256];
  LowerTable() {
    for (int c = 0; c < 256; ++c) map[c] = Cp1252Lower(static_cast<unsigned char>(c));
  }
};
const LowerTable kLower;

inline unsigned char Low(char c) { return kLower.map[static_cast<unsigned char>(c)]; }

// CharMatch, with ordinary pattern bytes compared on the spot.
inline bool Same(char p, char t, const MatchSettings& s) {
  const unsigned char pl = Low(p);
  if (!s.JokerSet[pl]) return pl == Low(t);
  return CharMatch(p, t, s);
}

bool Contains(std::string_view set, unsigned char c) {
  return set.find(static_cast<char>(c)) != std::string_view::npos;
}

// Exact match: '*' stands for one character or more. Once the text after a '*' has matched up to
// the next '*', that part is kept for good; users write their filters knowing this.
bool MatchExact(std::string_view p, std::string_view t, const MatchSettings& s) {
  std::size_t P = 0, T = 0;
  const std::size_t pn = p.size(), tn = t.size();
  if (tn == 0) return false;
  while (true) {
    if (P < pn && p[P] != '*' && Same(p[P], t[T], s)) {
      ++P;
      ++T;
      if (T == tn) return P == pn;
      continue;
    }
    if (P == pn || p[P] != '*') return false;
    if (P + 1 == pn) return true;
    ++T;
    if (T == tn) return false;
    std::size_t k = T;
    while (k < tn && !Same(p[P + 1], t[k], s)) ++k;
    // Retrying one character further finds no later start either: the text runs out.
    if (k == tn) return false;
    std::size_t pp = P + 2, tt = k + 1;
    while (pp < pn && p[pp] != '*' && tt < tn && Same(p[pp], t[tt], s)) {
      ++pp;
      ++tt;
    }
    // A retry from a position up to k would find this same start again and fail the same way,
    // so the next try begins just after it.
    if (pp == pn) {
      if (tt == tn) return true;
      T = k;
      continue;
    }
    if (tt == tn) return false;
    if (p[pp] != '*') {
      T = k;
      continue;
    }
    if (pp + 1 == pn) return true;
    P = pp;
    T = tt;
  }
}

bool MatchPartial(std::string_view f, std::string_view x, bool wholeWord, const MatchSettings& s) {
  const std::size_t m = f.size(), n = x.size();
  // Most starts fail on the first byte: when it is an ordinary character, look for it alone.
  const unsigned char first = m > 0 ? Low(f[0]) : 0;
  const bool plainFirst = m > 0 && !s.JokerSet[first];
  for (std::size_t st = 0; st < n; ++st) {
    if (plainFirst && Low(x[st]) != first) continue;
    if (wholeWord && st > 0 && s.AlphaNumSet[static_cast<unsigned char>(x[st - 1])]) continue;
    std::size_t j = 0;
    bool mismatch = false;
    for (; j < m; ++j) {
      const std::size_t i = st + j;
      if (i >= n) return false;
      if (!Same(f[j], x[i], s)) {
        if (i == n - 1) return false;
        mismatch = true;
        break;
      }
    }
    if (mismatch) continue;
    if (wholeWord && st + m < n && s.AlphaNumSet[static_cast<unsigned char>(x[st + m])])
      return false;
    return true;
  }
  return false;
}

bool HasRealWord(const std::vector<std::string_view>& words) {
  for (auto w : words)
    if (!w.empty()) return true;
  return false;
}

}  // namespace

MatchSettings MakeMatchSettings(std::string_view consonants, std::string_view alphaNum,
                                CustomJokers jokers) {
  MatchSettings s;
  s.Consonants = consonants.empty() ? std::string(kDefaultConsonants) : LowerCase(consonants);
  s.AlphaNum = alphaNum.empty() ? std::string(kDefaultAlphaNum) : LowerCase(alphaNum);
  s.Jokers = std::move(jokers);
  for (unsigned char c : s.Consonants) s.ConsonantSet.set(c);
  for (unsigned char c : s.AlphaNum) s.AlphaNumSet.set(c);
  s.JokerSet.set(0xB5).set('#').set('?');
  for (unsigned char c : s.Jokers.Characters) s.JokerSet.set(c);
  return s;
}

bool CharMatch(char pc, char tc, const MatchSettings& s) {
  const unsigned char p = Low(pc), t = Low(tc);
  if (p == 0xB5) return s.ConsonantSet[t];
  if (p == '#') return t >= '0' && t <= '9';
  if (!s.Jokers.List.empty()) {
    const std::size_t j = s.Jokers.Characters.find(static_cast<char>(p));
    if (j != std::string::npos && j < s.Jokers.List.size()) return Contains(s.Jokers.List[j].Chars, t);
  }
  return p == t || p == '?';
}

bool MatchFilter(std::string_view filter, std::string_view text, const MatchSettings& s) {
  if (filter.empty() || text.empty()) return false;
  if (filter[0] == kPartialMarker) return MatchPartial(filter.substr(1), text, false, s);
  if (filter[0] == kWholeWordMarker) return MatchPartial(filter.substr(1), text, true, s);
  return MatchExact(filter, text, s);
}

std::vector<std::string_view> SplitFilterWords(std::string_view filter) {
  std::vector<std::string_view> words;
  if (filter.empty()) return words;
  std::string_view rest = filter.substr(1);
  std::size_t sp;
  while ((sp = rest.find(' ')) != std::string_view::npos) {
    words.push_back(rest.substr(0, sp));
    rest.remove_prefix(sp + 1);
  }
  if (rest.size() >= 2) words.push_back(rest);
  return words;
}

bool MatchWords(std::string_view filter, std::string_view text) {
  const auto words = SplitFilterWords(filter);
  // Words made only of spaces would be found in every subject.
  if (words.size() < 2 || !HasRealWord(words)) return false;
  const std::string low = LowerCase(text);
  for (auto w : words)
    if (low.find(w) == std::string::npos) return false;
  return true;
}

int ActionRank(char action) {
  switch (static_cast<char>(action | 0x20)) {
    case ' ': return -1;
    case 'g': return 0;
    case 'd': return 1;
    case 'r': return 2;
    default: return 3;
  }
}

}  // namespace mobrelle
