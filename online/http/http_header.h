#pragma once
// The HTTP/1.0 side of a document fetch in plain C++: address splitting, document names,
// redirection targets, the request text and the reading of the answer's header.

#include <cstddef>
#include <string>
#include <vector>

namespace mobrelle {

struct HttpTarget {
  std::string host, port = "80", path = "/", user, password;
  bool hasUser = false;
};

HttpTarget SplitHttpUrl(const std::string& url);
// File name of a document path: "document.htm" for a folder, else its last piece, queries cut.
std::string HttpDocumentName(const std::string& path);
// ".exe" or no extension, served as text/html: saved as ".htm".
std::string HttpHtmlDocumentName(const std::string& name, const std::string& contentType);
// Follows a Location value from `current`; returns the new absolute address.
std::string HttpRedirect(HttpTarget& current, const std::string& location);
std::string HttpRequest(const HttpTarget& t, const std::string& accept, const std::string& agent);

inline constexpr size_t kHttpLineBuffer = 8192;

class HttpHeaderReader {
 public:
  enum class Result { NeedMore, Redirect, NoDocument, Body, Error };
  // Adds bytes; when the header ends (or fails) the result says how, and Rest() holds the bytes
  // that follow it (the first piece of body).
  Result Feed(const char* data, size_t size);
  // The connection closed before the header ended.
  Result Closed();

  int status = 0;
  std::string reason;
  long long contentLength = -1;
  std::string contentType, location;
  bool locationSeen = false;
  std::vector<std::string> lines;
  const std::string& Rest() const { return rest_; }

 private:
  Result Line(const std::string& line, size_t next);
  std::string buffer_, rest_;
};

}  // namespace mobrelle
