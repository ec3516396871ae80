#include "app/core/stored_password.h"

namespace mobrelle {
namespace {

// Start of the escaped form: DEL and a tilde, then the stored bytes in hexadecimal. DEL cannot be
// typed into a file by hand, and the rest must be whole hex pairs, so an ordinary value is never
// taken for it.
constexpr char kEscape[] = "\x7F~";
constexpr size_t kEscapeLen = 2;

std::string Unscrambled(const std::string& s) {
  const size_t n = s.size();
  std::string out(n, '\0');
  for (size_t i = 1; i <= n; ++i) {
    auto c = static_cast<unsigned char>(s[i - 1]);
    out[i - 1] = static_cast<char>(static_cast<unsigned char>((c ^ 0x80) + ((n + i - 1) & 0xFF)));
  }
  return out;
}

// Whether the INI file gives `v` back exactly as written, and the reader cannot mistake it for the
// clear-text or the escaped form.
bool HoldsIntact(const std::string& v) {
  if (v.empty()) return true;
  if (v.size() > 2047 || v.front() == '.' || v.compare(0, kEscapeLen, kEscape) == 0) return false;
  for (char c : v)
    if (c == '\0' || c == '\r' || c == '\n') return false;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  if (blank(v.front()) || blank(v.back())) return false;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return false;
  return true;
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

bool FromHex(std::string_view hex, std::string& out) {
  if (hex.size() % 2) return false;
  auto val = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  out.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    int hi = val(hex[i]), lo = val(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

}  // namespace

std::string ScramblePassword(const std::string& clear) {
  const size_t n = clear.size();
  std::string out(n, '\0');
  for (size_t i = 1; i <= n; ++i) {
    auto c = static_cast<unsigned char>(clear[i - 1]);
    out[i - 1] = static_cast<char>(static_cast<unsigned char>((c ^ 0x80) - ((n + i - 1) & 0xFF)));
  }
  return out;
}

std::string UnscramblePassword(const std::string& stored) {
  if (stored.empty()) return {};
  if (stored.front() == '.') return stored.substr(1, 255);
  return Unscrambled(stored);
}

std::string MaskWithLockPassword(const std::string& text, const std::string& lockPassword) {
  std::string out = text;
  for (size_t i = 0; i < out.size() && i < lockPassword.size(); ++i) out[i] ^= lockPassword[i];
  return out;
}

std::string StoredPasswordValue(const std::string& clear, const std::string& lockPassword) {
  const std::string scrambled = ScramblePassword(clear);
  const std::string v = lockPassword.empty() ? scrambled : MaskWithLockPassword(scrambled, lockPassword);
  // The reader takes a value whose unmasked first byte is '.' for clear text.
  if (HoldsIntact(v) && (scrambled.empty() || scrambled.front() != '.')) return v;
  return kEscape + Hex(v);
}

std::string PasswordFromStoredValue(const std::string& value, const std::string& lockPassword) {
  std::string bytes;
  if (value.compare(0, kEscapeLen, kEscape) == 0 && FromHex(std::string_view(value).substr(kEscapeLen), bytes)) {
    if (!lockPassword.empty()) bytes = MaskWithLockPassword(bytes, lockPassword);
    // The escaped form holds the scrambled bytes exactly: a first byte '.' is scrambled data here.
    return Unscrambled(bytes);
  }
  std::string v = lockPassword.empty() ? value : MaskWithLockPassword(value, lockPassword);
  return UnscramblePassword(v);
}

}  // namespace mobrelle
