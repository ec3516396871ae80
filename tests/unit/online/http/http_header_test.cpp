#include "online/http/http_header.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

TEST(HttpUrl, SplitRequestAndDocumentNames) {
  HttpTarget t = SplitHttpUrl("http://www.example.test/VERSION.htm");
  EXPECT_EQ(t.host, "www.example.test");
  EXPECT_EQ(t.port, "80");
  EXPECT_EQ(HttpRequest(t, "*/*", "Mozilla/3.0 (compatible)"),
            "GET /VERSION.htm HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"
            "Host: www.example.test\r\n\r\n");
  t = SplitHttpUrl("u:p@h.test:8080?x=1");
  EXPECT_EQ(t.host, "h.test");
  EXPECT_EQ(t.port, "8080");
  EXPECT_EQ(t.path, "/?x=1");
  EXPECT_NE(HttpRequest(t, "a", "").find("\r\nAuthorization: Basic dTpw\r\n"), std::string::npos);
  EXPECT_EQ(HttpRequest(t, "a", "").find("User-Agent"), std::string::npos);

  const std::pair<const char*, const char*> names[] = {
      {"/VERSION.htm", "VERSION.htm"}, {"/", "document.htm"}, {"/dir/", "document.htm"},
      {"/CompteurMajMobrelle.php?x=1", "CompteurMajMobrelle.php"}, {"/a/b.zip#top", "b.zip"}};
  for (const auto& [path, name] : names) EXPECT_EQ(HttpDocumentName(path), name) << path;
  EXPECT_EQ(HttpHtmlDocumentName("setup.exe", "text/html"), "setup.htm");
  EXPECT_EQ(HttpHtmlDocumentName("setup.EXE", "text/html"), "setup.htm");
  EXPECT_EQ(HttpHtmlDocumentName("setup", "text/html"), "setup.htm");
  EXPECT_EQ(HttpHtmlDocumentName("setup.exe", "text/html; charset=utf-8"), "setup.exe");
  EXPECT_EQ(HttpHtmlDocumentName("page.php", "text/html"), "page.php");
}

TEST(HttpUrl, Redirections) {
  HttpTarget t = SplitHttpUrl("http://h.test:81/old/help.zip?v=2");
  EXPECT_EQ(HttpRedirect(t, "/new/help.zip"), "http://h.test:81/new/help.zip");
  EXPECT_EQ(HttpRedirect(t, "other.zip"), "http://h.test:81/new/other.zip");
  EXPECT_EQ(HttpRedirect(t, "http://x.test/y"), "http://x.test/y");
  EXPECT_EQ(t.port, "80");
  EXPECT_EQ(HttpRedirect(t, "http://z.test"), "http://z.test/");
}

TEST(HttpHeaderReader, HeaderEndsThreeWays) {
  HttpHeaderReader h;
  const std::string a = "HTTP/1.1 200 OK\r\nContent-Type: Text/HTML\r\nX: y\r\n\r\nbody";
  EXPECT_EQ(h.Feed(a.data(), 10), HttpHeaderReader::Result::NeedMore);
  EXPECT_EQ(h.Feed(a.data() + 10, a.size() - 10), HttpHeaderReader::Result::Body);
  EXPECT_EQ(h.status, 200);
  EXPECT_EQ(h.reason, "OK");
  EXPECT_EQ(h.contentType, "text/html");
  EXPECT_EQ(h.lines.size(), 3u);
  EXPECT_EQ(h.Rest(), "body");

  HttpHeaderReader z;
  const std::string b = "HTTP/1.0 200 OK\nContent-Length:  0 \n\n";
  EXPECT_EQ(z.Feed(b.data(), b.size()), HttpHeaderReader::Result::NoDocument);

  HttpHeaderReader r;
  const std::string c = "HTTP/1.1 301 Moved\r\nLocation: /new/help.zip\r\n\r\n";
  EXPECT_EQ(r.Feed(c.data(), c.size()), HttpHeaderReader::Result::Redirect);
  EXPECT_EQ(r.location, "/new/help.zip");

  HttpHeaderReader html;
  const std::string d = "<html><body>hi\n</body>";
  EXPECT_EQ(html.Feed(d.data(), d.size()), HttpHeaderReader::Result::Body);
  EXPECT_EQ(html.status, 0);
  EXPECT_EQ(html.contentType, "text/html");
  EXPECT_EQ(html.Rest(), d);
}

TEST(HttpHeaderReader, FailuresFinishTheRequest) {
  HttpHeaderReader longLine;
  const std::string big(kHttpLineBuffer, 'x');
  EXPECT_EQ(longLine.Feed(big.data(), big.size()), HttpHeaderReader::Result::Error);
  EXPECT_EQ(longLine.reason, "HTTP line too long");

  HttpHeaderReader bad;
  const std::string b = "HTTP/1.1 200 OK\r\nContent-Length: 12a\r\n";
  EXPECT_EQ(bad.Feed(b.data(), b.size()), HttpHeaderReader::Result::Error);
  EXPECT_EQ(bad.status, 404);

  HttpHeaderReader cut;
  const std::string c = "HTTP/1.1 200 OK\r\nServer: x";
  EXPECT_EQ(cut.Feed(c.data(), c.size()), HttpHeaderReader::Result::NeedMore);
  EXPECT_EQ(cut.Closed(), HttpHeaderReader::Result::Error);
  EXPECT_EQ(cut.status, 404);

  HttpHeaderReader nothing;
  EXPECT_EQ(nothing.Closed(), HttpHeaderReader::Result::NoDocument);
  EXPECT_EQ(nothing.status, 0);
}

}  // namespace
}  // namespace mobrelle
