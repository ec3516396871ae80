#include "ui/first_use/rtf_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "app/core/cp1252.h"

namespace mobrelle {
namespace {

// Control words longer than this are cut (RTF's own limit is 32 letters); parameters are clamped.
constexpr size_t kMaxWordLength = 32;
constexpr long long kMaxParam = 1LL << 31;
constexpr int kMaxUnicodeSkip = 16;
constexpr long long kMaxHalfPoints = 3276;

// Destinations whose content is not text to show.
constexpr std::array<std::string_view, 35> kSkippedDestinations = {
    "fonttbl",    "colortbl",  "stylesheet", "info",         "pict",        "object",
    "header",     "headerl",   "headerr",    "headerf",      "footer",      "footerl",
    "footerr",    "footerf",   "footnote",   "listtable",    "listoverridetable",
    "filetbl",    "rsidtbl",   "revtbl",     "generator",    "xmlnstbl",    "themedata",
    "colorschememapping",      "latentstyles", "datastore",  "pgdsctbl",    "fldinst",
    "nonshppict", "shppict",   "bkmkstart",  "bkmkend",      "mmathPr",     "atnid",
    "annotation"};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct GroupState {
  bool Bold = false, Italic = false, Underline = false;
  int HalfPoints = 0;
  bool Skip = false;   // inside a destination that is not shown
  int UnicodeSkip = 1;  // \ucN: fallback characters after each \uN
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {
    stack_.reserve(kRtfMaxDepth + 1);
    stack_.emplace_back();
    doc_.Paragraphs.emplace_back();
  }

  RtfDocument Run() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_];
      if (c == '{') {
        ++pos_;
        OpenGroup();
      } else if (c == '}') {
        ++pos_;
        if (!CloseGroup()) break;
      } else if (c == '\\') {
        ++pos_;
        Control();
      } else {
        ++pos_;
        if (c == '\r' || c == '\n') continue;
        if (c == '\t') {
          Text(U'\t');
        } else if (static_cast<unsigned char>(c) >= 0x20) {
          Text(Cp1252ToUnicode(static_cast<unsigned char>(c)));
        }
      }
    }
    FlushSurrogate();
    if (doc_.Paragraphs.size() > 1 && doc_.Paragraphs.back().Runs.empty()) doc_.Paragraphs.pop_back();
    return std::move(doc_);
  }

 private:
  GroupState& State() { return stack_.back(); }

  void OpenGroup() {
    pendingSkip_ = 0;
    if (stack_.size() > static_cast<size_t>(kRtfMaxDepth)) {
      ++overflow_;
      return;
    }
    stack_.push_back(stack_.back());
  }

  // False once the outermost group is closed: the document ends there.
  bool CloseGroup() {
    pendingSkip_ = 0;
    if (overflow_ > 0) {
      --overflow_;
      return true;
    }
    if (stack_.size() <= 1) return true;  // a stray brace
    stack_.pop_back();
    return stack_.size() > 1;
  }

  // Reading the fallback of a \uN: this character or control is not shown.
  bool ConsumedAsFallback() {
    if (pendingSkip_ <= 0) return false;
    --pendingSkip_;
    return true;
  }

  void Control() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (IsLetter(c)) {
      std::string word;
      while (pos_ < in_.size() && IsLetter(in_[pos_])) {
        if (word.size() < kMaxWordLength) word += in_[pos_];
        ++pos_;
      }
      bool hasParam = false;
      bool negative = false;
      long long param = 0;
      if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
      }
      while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        hasParam = true;
        if (param < kMaxParam) param = param * 10 + (in_[pos_] - '0');
        ++pos_;
      }
      if (param > kMaxParam) param = kMaxParam;
      if (negative) param = -param;
      if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
      Word(word, hasParam, param);
      return;
    }
    ++pos_;
    switch (c) {
      case '\'': {
        int value = -1;
        if (pos_ + 1 < in_.size()) {
          const int hi = HexValue(in_[pos_]), lo = HexValue(in_[pos_ + 1]);
          if (hi >= 0 && lo >= 0) value = hi * 16 + lo;
        }
        if (value < 0) return;  // a broken escape shows nothing
        pos_ += 2;
        Text(Cp1252ToUnicode(static_cast<unsigned char>(value)));
        return;
      }
      case '*':
        if (ConsumedAsFallback()) return;
        // An ignorable destination: nothing in it is ours to show.
        if (stack_.size() > 1 && overflow_ == 0) State().Skip = true;
        return;
      case '\\':
      case '{':
      case '}':
        Text(static_cast<unsigned char>(c));
        return;
      case '~':
        Text(0xA0);
        return;
      case '_':
        Text(U'-');
        return;
      case '\r':
      case '\n':
        if (ConsumedAsFallback()) return;
        Paragraph();
        return;
      default:
        ConsumedAsFallback();  // \- optional hyphen, \| and the others: nothing to show
        return;
    }
  }

  void Word(const std::string& word, bool hasParam, long long param) {
    if (word == "u") {
      // A signed 16-bit value; its fallback characters follow.
      const long long v = hasParam ? param : 0;
      Unicode(static_cast<char16_t>(static_cast<uint16_t>(static_cast<int64_t>(v) & 0xFFFF)));
      pendingSkip_ = State().UnicodeSkip;
      return;
    }
    if (word == "bin") {
      // Raw bytes follow; they are never text, and never read past the end.
      const size_t count = hasParam && param > 0 ? static_cast<size_t>(param) : 0;
      pos_ += std::min(count, in_.size() - pos_);
      return;
    }
    if (ConsumedAsFallback()) return;
    for (std::string_view skipped : kSkippedDestinations)
      if (word == skipped) {
        if (stack_.size() > 1 && overflow_ == 0) State().Skip = true;
        return;
      }
    GroupState& s = State();
    const bool on = !hasParam || param != 0;
    if (word == "par" || word == "sect" || word == "page") {
      Paragraph();
    } else if (word == "line") {
      Text(U'\n');
    } else if (word == "tab") {
      Text(U'\t');
    } else if (word == "b") {
      s.Bold = on;
    } else if (word == "i") {
      s.Italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "ulth") {
      s.Underline = on;
    } else if (word == "ulnone") {
      s.Underline = false;
    } else if (word == "plain") {
      s.Bold = s.Italic = s.Underline = false;
      s.HalfPoints = 0;
    } else if (word == "fs") {
      s.HalfPoints = hasParam ? static_cast<int>(std::clamp<long long>(param, 0, kMaxHalfPoints)) : 0;
    } else if (word == "uc") {
      s.UnicodeSkip = static_cast<int>(std::clamp<long long>(hasParam ? param : 1, 0, kMaxUnicodeSkip));
    } else if (word == "emdash") {
      Text(0x2014);
    } else if (word == "endash") {
      Text(0x2013);
    } else if (word == "bullet") {
      Text(0x2022);
    } else if (word == "lquote") {
      Text(0x2018);
    } else if (word == "rquote") {
      Text(0x2019);
    } else if (word == "ldblquote") {
      Text(0x201C);
    } else if (word == "rdblquote") {
      Text(0x201D);
    }
  }

  void Unicode(char16_t unit) {
    if (State().Skip) return;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      FlushSurrogate();
      highSurrogate_ = unit;
      return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      if (highSurrogate_ == 0) {
        Put(0xFFFD);
        return;
      }
      const char32_t cp = 0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00);
      highSurrogate_ = 0;
      Put(cp);
      return;
    }
    Put(unit);
  }

  void FlushSurrogate() {
    if (highSurrogate_ == 0) return;
    highSurrogate_ = 0;
    Put(0xFFFD);
  }

  // A character of the text (not a \uN): it may be a \uN's fallback.
  void Text(char32_t cp) {
    if (ConsumedAsFallback()) return;
    if (State().Skip) return;
    FlushSurrogate();
    Put(cp);
  }

  void Put(char32_t cp) {
    if (State().Skip) return;
    if (cp < 0x20 && cp != U'\t' && cp != U'\n') return;  // no control characters in the view
    const GroupState& s = State();
    auto& runs = doc_.Paragraphs.back().Runs;
    if (runs.empty() || runs.back().Bold != s.Bold || runs.back().Italic != s.Italic ||
        runs.back().Underline != s.Underline || runs.back().HalfPoints != s.HalfPoints)
      runs.push_back(RtfRun{{}, s.Bold, s.Italic, s.Underline, s.HalfPoints});
    AppendUtf8(runs.back().Text, cp);
  }

  void Paragraph() {
    if (State().Skip) return;
    FlushSurrogate();
    doc_.Paragraphs.emplace_back();
  }

  std::string_view in_;
  size_t pos_ = 0;
  std::vector<GroupState> stack_;
  int overflow_ = 0;
  int pendingSkip_ = 0;
  char16_t highSurrogate_ = 0;
  RtfDocument doc_;
};

}  // namespace

std::string RtfDocument::PlainText() const {
  std::string out;
  for (size_t i = 0; i < Paragraphs.size(); ++i) {
    if (i) out += '\n';
    for (const auto& run : Paragraphs[i].Runs) out += run.Text;
  }
  return out;
}

RtfDocument ParseRtf(std::string_view rtf) { return Reader(rtf).Run(); }

}  // namespace mobrelle
