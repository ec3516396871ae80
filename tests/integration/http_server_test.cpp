#include "tests/support/servers/http_server.h"

#include <gtest/gtest.h>

#include "tests/integration/line_client.h"

namespace mobrelle::test {
namespace {

// One HTTP/1.0 exchange: the whole answer as received until the server closes.
std::string Get(const HttpServer& server, const std::string& path) {
  LineClient c;
  if (!c.Connect(server.Host(), server.Port())) return "";
  c.SendRaw("GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
  return c.ReadUntilClosed();
}

TEST(HttpServerTest, FileRedirectionAndMissingFile) {
  HttpServer server;
  server.AddFile("/VERSION.htm", "<html>4.2</html>");
  server.AddFile("/new/help.zip", std::string("PK\x03\x04\0\xFF", 6));
  server.AddRedirect("/old/help.zip", "/new/help.zip");
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(server.Url("/VERSION.htm"), "http://127.0.0.1:" + std::to_string(server.Port()) + "/VERSION.htm");

  const std::string file = Get(server, "/VERSION.htm");
  EXPECT_EQ(file.substr(0, 15), "HTTP/1.1 200 OK");
  EXPECT_NE(file.find("\r\nContent-Length: 16\r\n"), std::string::npos);
  EXPECT_EQ(file.substr(file.find("\r\n\r\n") + 4), "<html>4.2</html>");

  const std::string binary = Get(server, "/new/help.zip");
  EXPECT_EQ(binary.substr(binary.find("\r\n\r\n") + 4), std::string("PK\x03\x04\0\xFF", 6));

  const std::string moved = Get(server, "/old/help.zip");
  EXPECT_EQ(moved.substr(0, 12), "HTTP/1.1 301");
  EXPECT_NE(moved.find("\r\nLocation: /new/help.zip\r\n"), std::string::npos) << moved;

  EXPECT_EQ(Get(server, "/missing.htm").substr(0, 12), "HTTP/1.1 404");

  // A file added while the server runs is served at once.
  server.AddFile("/later.txt", "later");
  const std::string later = Get(server, "/later.txt");
  EXPECT_EQ(later.substr(later.find("\r\n\r\n") + 4), "later");
}

}  // namespace
}  // namespace mobrelle::test
