#pragma once
// A real HTTP server (nginx) on loopback serving the files a test puts there: 200 with the file,
// 301 with a chosen Location for a chosen path, 401 below a protected folder without the right
// Basic credentials, 404 for anything else.

#include <string>
#include <vector>

#include "tests/support/servers/loopback_server.h"

namespace mobrelle::test {

class HttpServer : public LoopbackServer {
 public:
  HttpServer();

  // A file at path ("/VERSION.htm", "/new/help.zip"); before or after Start.
  void AddFile(const std::string& path, const std::string& bytes);
  // Before Start: a request for `from` is answered "301 Moved Permanently", "Location: " + to.
  void AddRedirect(const std::string& from, const std::string& to);
  // Before Start: paths beginning with prefix ("/private/") need Basic authentication as user with
  // password (neither holding a ':'). One such folder per server.
  void Protect(const std::string& prefix, const std::string& user, const std::string& password);

  [[nodiscard]] bool Start();

  // "http://127.0.0.1:PORT" + path.
  std::string Url(const std::string& path) const;
  // One line per request, the request line quoted.
  std::string AccessLogPath() const { return dir_.File("logs/access.log"); }

 private:
  std::vector<std::string> redirects_;
  std::vector<std::string> protect_;
};

}  // namespace mobrelle::test
