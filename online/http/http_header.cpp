#include "online/http/http_header.h"

#include <algorithm>

namespace mobrelle {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

std::string CutAt(const std::string& s, char c) { return s.substr(0, s.find(c)); }

std::string Base64(const std::string& in) {
  static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
    out += {t[v >> 18], t[(v >> 12) & 63], t[(v >> 6) & 63], t[v & 63]};
  }
  if (i + 1 == in.size()) {
    unsigned v = (unsigned char)in[i] << 16;
    out += {t[v >> 18], t[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == in.size()) {
    unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
    out += {t[v >> 18], t[(v >> 12) & 63], t[(v >> 6) & 63], '='};
  }
  return out;
}

}  // namespace

HttpTarget SplitHttpUrl(const std::string& url) {
  HttpTarget t;
  std::string rest = url;
  const size_t scheme = rest.find("://");
  if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
  size_t pathStart = rest.find_first_of("/?");
  std::string authority = rest.substr(0, pathStart);
  t.path = pathStart == std::string::npos ? "/" : rest.substr(pathStart);
  if (!t.path.empty() && t.path[0] == '?') t.path.insert(0, 1, '/');
  // A fragment names a place inside the document; it never goes to the server.
  t.path = CutAt(t.path, '#');
  if (t.path.empty()) t.path = "/";
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) {
    std::string cred = authority.substr(0, at);
    authority = authority.substr(at + 1);
    t.hasUser = true;
    const size_t colon = cred.find(':');
    t.user = cred.substr(0, colon);
    if (colon != std::string::npos) t.password = cred.substr(colon + 1);
  }
  const size_t colon = authority.find(':');
  t.host = authority.substr(0, colon);
  if (colon != std::string::npos && colon + 1 < authority.size()) t.port = authority.substr(colon + 1);
  return t;
}

std::string HttpDocumentName(const std::string& path) {
  std::string name = CutAt(CutAt(path, '#'), '?');
  if (name.empty() || name.back() == '/') return "document.htm";
  name = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
  if (name.size() > 255) name.resize(255);
  return CutAt(name, '?');
}

std::string HttpHtmlDocumentName(const std::string& name, const std::string& contentType) {
  if (contentType != "text/html") return name;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name + ".htm";
  if (Lower(name.substr(dot)) == ".exe") return name.substr(0, dot + 1) + "htm";
  return name;
}

std::string HttpRedirect(HttpTarget& current, const std::string& location) {
  const std::string l = Trim(location);
  if (!l.empty() && l[0] == '/') {
    current.path = CutAt(l, '#');
  } else if (Lower(l.substr(0, 7)) == "http://") {
    HttpTarget next = SplitHttpUrl(l);
    current.host = next.host;
    current.port = next.port;
    current.path = next.path;
  } else {
    const std::string base = CutAt(current.path, '?');
    const size_t cut = base.find_last_of("/:");
    current.path = CutAt((cut == std::string::npos ? std::string() : base.substr(0, cut + 1)) + l, '#');
  }
  if (current.path.empty()) current.path = "/";
  return "http://" + current.host + (current.port == "80" ? "" : ":" + current.port) + current.path;
}

std::string HttpRequest(const HttpTarget& t, const std::string& accept, const std::string& agent) {
  std::string r = "GET " + t.path + " HTTP/1.0\r\n";
  r += "Accept: " + accept + "\r\n";
  if (!agent.empty()) r += "User-Agent: " + agent + "\r\n";
  r += "Host: " + t.host + "\r\n";
  if (t.hasUser) r += "Authorization: Basic " + Base64(t.user + ":" + t.password) + "\r\n";
  return r + "\r\n";
}

HttpHeaderReader::Result HttpHeaderReader::Feed(const char* data, size_t size) {
  buffer_.append(data, size);
  size_t start = 0;
  for (;;) {
    const size_t lf = buffer_.find('\n', start);
    if (lf == std::string::npos) {
      buffer_.erase(0, start);
      if (buffer_.size() >= kHttpLineBuffer) {
        status = 404;
        reason = "HTTP line too long";
        return Result::Error;
      }
      return Result::NeedMore;
    }
    std::string line = buffer_.substr(start, lf - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lines.empty() && Lower(line.substr(0, 6)) == "<html>") {
      if (contentType.empty()) contentType = "text/html";
      rest_ = buffer_.substr(start);
      buffer_.clear();
      return Result::Body;
    }
    const Result r = Line(line, lf + 1);
    if (r != Result::NeedMore) return r;
    start = lf + 1;
  }
}

HttpHeaderReader::Result HttpHeaderReader::Line(const std::string& line, size_t next) {
  if (line.empty() && !lines.empty()) {
    rest_ = buffer_.substr(next);
    buffer_.clear();
    if (locationSeen) return Result::Redirect;
    if (contentLength == 0) return Result::NoDocument;
    return Result::Body;
  }
  if (line.empty()) return Result::NeedMore;  // blank lines before the status line
  lines.push_back(line);
  if (line.rfind("HTTP/1.0", 0) == 0 || line.rfind("HTTP/1.1", 0) == 0) {
    const std::string code = line.size() > 9 ? line.substr(9, 3) : "";
    status = 0;
    for (char c : code) {
      if (c < '0' || c > '9') break;
      status = status * 10 + (c - '0');
    }
    reason = line.size() > 13 ? line.substr(13) : "";
    return Result::NeedMore;
  }
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return Result::NeedMore;
  const std::string name = Lower(line.substr(0, colon));
  std::string value = line.substr(colon + 1);
  value.erase(0, value.find_first_not_of(' ') == std::string::npos ? value.size() : value.find_first_not_of(' '));
  if (name == "location") {
    locationSeen = true;
    location = value;
  } else if (name == "content-length") {
    const std::string v = Trim(value);
    if (v.empty() || v.size() > 18 || !std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      status = 404;
      reason = "invalid Content-Length: " + v.substr(0, 40);
      return Result::Error;
    }
    contentLength = std::stoll(v);
  } else if (name == "content-type") {
    contentType = Lower(value);
  }
  return Result::NeedMore;
}

HttpHeaderReader::Result HttpHeaderReader::Closed() {
  if (locationSeen) return Result::Redirect;
  if (lines.empty() && Lower(buffer_.substr(0, 6)) == "<html>") {
    if (contentType.empty()) contentType = "text/html";
    rest_ = buffer_;
    buffer_.clear();
    return Result::Body;
  }
  if (lines.empty() && buffer_.empty()) return Result::NoDocument;  // nothing at all: status 0
  status = 404;
  reason = "connection closed before the end of the header";
  return Result::Error;
}

}  // namespace mobrelle
