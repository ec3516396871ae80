#include "tests/support/servers/http_server.h"

#include <sys/stat.h>

#include <filesystem>

namespace mobrelle::test {
namespace fs = std::filesystem;

HttpServer::HttpServer() : LoopbackServer("nginx HTTP server") { log_ = dir_.File("logs/error.log"); }

void HttpServer::AddFile(const std::string& path, const std::string& bytes) {
  const fs::path file = fs::path(dir_.File("www")) / fs::path(path).relative_path();
  fs::create_directories(file.parent_path());
  WriteFileBytes(file.string(), bytes);
  // The workers run as nobody when we are root.
  ::chmod(file.c_str(), 0644);
  for (fs::path p = file.parent_path(); p.string().size() >= Dir().size(); p = p.parent_path())
    ::chmod(p.c_str(), 0755);
}

void HttpServer::AddRedirect(const std::string& from, const std::string& to) {
  redirects_.insert(redirects_.end(), {"-r", from + "=" + to});
}

void HttpServer::Protect(const std::string& prefix, const std::string& user, const std::string& password) {
  protect_ = {"-b", prefix + "=" + user + ":" + password};
}

bool HttpServer::Start() {
  if (!Need("/usr/sbin/nginx", "nginx-light") || !ChoosePort()) return false;
  std::vector<std::string> args = {"-d", Dir(), "-a", host_, "-p", std::to_string(port_)};
  args.insert(args.end(), redirects_.begin(), redirects_.end());
  args.insert(args.end(), protect_.begin(), protect_.end());
  if (!RunStartScript("nginx/run-nginx.sh", args)) return false;
  return WaitListening({{port_, Transport::kTcp}});
}

std::string HttpServer::Url(const std::string& path) const {
  return "http://" + host_ + ":" + std::to_string(port_) + path;
}

}  // namespace mobrelle::test
