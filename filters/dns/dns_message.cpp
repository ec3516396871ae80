#include "filters/dns/dns_message.h"

namespace mobrelle {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t U32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

void Put16(std::string& s, uint16_t v) {
  s += static_cast<char>(v >> 8);
  s += static_cast<char>(v & 0xFF);
}

// Longest name we build; real names stop at 255 bytes, this only bounds hostile input.
constexpr size_t kMaxNameText = 1024;

}  // namespace

std::string EncodeMxQuery(uint16_t id, const std::string& domain) {
  std::string q;
  Put16(q, id);
  Put16(q, 0x0100);
  Put16(q, 1);
  Put16(q, 0);
  Put16(q, 0);
  Put16(q, 0);
  size_t start = 0;
  while (start < domain.size()) {
    size_t dot = domain.find('.', start);
    if (dot == std::string::npos) dot = domain.size();
    // A label longer than 63 bytes cannot be written; its length byte would read as a pointer.
    const std::string label = domain.substr(start, std::min<size_t>(dot - start, 63));
    q += static_cast<char>(label.size());
    q += label;
    start = dot + 1;
  }
  q += '\0';
  Put16(q, 15);
  Put16(q, 1);
  return q;
}

std::string DecodeDnsName(const uint8_t* msg, size_t size, size_t& pos) {
  std::string name;
  size_t at = pos;
  bool jumped = false;
  std::vector<size_t> visited;
  while (at < size) {
    const uint8_t len = msg[at];
    if (len == 0) {
      if (!jumped) pos = at + 1;
      return name;
    }
    if (len >= 0xC0) {
      if (at + 1 >= size) break;
      const size_t target = U16(msg + at) & 0x3FFF;
      if (!jumped) pos = at + 2;
      jumped = true;
      bool loop = false;
      for (size_t v : visited) loop = loop || v == target;
      if (loop || target >= size || visited.size() >= 128) return name;
      visited.push_back(target);
      at = target;
      continue;
    }
    if (!name.empty()) name += '.';
    const size_t avail = size - at - 1;
    const size_t take = len < avail ? len : avail;
    name.append(reinterpret_cast<const char*>(msg + at + 1), take);
    if (name.size() > kMaxNameText) name.resize(kMaxNameText);
    at += 1 + len;
  }
  if (!jumped) pos = size;
  return name;
}

bool DecodeDnsResponse(const uint8_t* msg, size_t size, DnsResponse& out) {
  if (size < 12) return false;
  const uint16_t flags = U16(msg + 2);
  if (!(flags & 0x8000)) return false;
  out = DnsResponse{};
  out.length = size;
  out.id = U16(msg);
  out.rcode = flags & 0x0F;
  out.opcode = (flags >> 11) & 0x0F;
  out.aa = flags & 0x0400;
  out.tc = flags & 0x0200;
  out.ra = flags & 0x0080;
  out.qdcount = U16(msg + 4);
  out.ancount = U16(msg + 6);
  out.nscount = U16(msg + 8);
  out.arcount = U16(msg + 10);

  size_t pos = 12;
  if (out.qdcount != 0) {
    DecodeDnsName(msg, size, pos);
    pos += 4;  // type and class
  }
  for (unsigned i = 0; i < out.ancount && out.answers.size() < kDnsMaxAnswers; ++i) {
    if (pos >= size) break;
    DnsAnswer ans;
    ans.name = DecodeDnsName(msg, size, pos);
    if (pos + 10 > size) break;  // the fixed fields are cut off
    ans.type = U16(msg + pos);
    ans.cls = U16(msg + pos + 2);
    ans.ttl = U32(msg + pos + 4);
    const size_t rdlength = U16(msg + pos + 8);
    const size_t rdata = pos + 10;
    // RDATA never reaches past the datagram, whatever RDLENGTH claims.
    const size_t rdend = rdata + rdlength <= size ? rdata + rdlength : size;
    if (ans.type == 15 && out.mx.size() < kDnsMaxMx && rdend >= rdata + 2) {
      DnsMx mx;
      mx.preference = U16(msg + rdata);
      size_t p = rdata + 2;
      mx.exchange = DecodeDnsName(msg, size, p);
      ans.tag = static_cast<int>(out.mx.size());
      out.mx.push_back(std::move(mx));
    } else if (ans.type == 1 && out.a.size() < kDnsMaxA && rdend >= rdata + 4) {
      ans.tag = static_cast<int>(out.a.size());
      out.a.push_back(U32(msg + rdata));
    } else if (ans.type == 12 && out.ptr.size() < kDnsMaxPtr && rdend > rdata) {
      size_t p = rdata;
      ans.tag = static_cast<int>(out.ptr.size());
      out.ptr.push_back(DecodeDnsName(msg, size, p));
    }
    out.answers.push_back(std::move(ans));
    pos = rdata + rdlength;
  }
  return true;
}

}  // namespace mobrelle
