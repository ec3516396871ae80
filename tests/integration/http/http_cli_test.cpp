#include "online/http/http_cli.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <stdexcept>

#include "tests/support/servers/fake_server.h"
#include "tests/support/servers/http_server.h"

namespace mobrelle {
namespace {

// nginx writes the access-log line of a request after its answer has left: wait for it a little.
std::vector<std::string> AccessLog(const std::string& path, size_t lines) {
  QElapsedTimer waited;
  waited.start();
  std::vector<std::string> log = test::ReadLines(path);
  while (log.size() < lines && waited.elapsed() < 5000) {
    QThread::msleep(20);
    log = test::ReadLines(path);
  }
  return log;
}

// A client whose documents go to memory, counting the document events.
struct Fetch {
  THttpCli cli;
  QByteArray body;
  QBuffer buffer{&body};
  int begins = 0, ends = 0;
  Fetch() {
    cli.OnDocBegin = [this](THttpCli& c) {
      ++begins;
      buffer.open(QIODevice::WriteOnly);
      c.RcvdStream = &buffer;
    };
    cli.OnDocEnd = [this](THttpCli& c) {
      ++ends;
      buffer.close();
      c.RcvdStream = nullptr;
    };
  }
  // The code of the error Get raised, 0 without one.
  int Get(const std::string& url) {
    cli.URL = url;
    try {
      cli.Get();
      return 0;
    } catch (const EHttpException& e) {
      return e.ErrorCode();
    }
  }
};

TEST(THttpCli, FileRedirectAndMissingOnNginx) {
  test::HttpServer server;
  server.AddFile("/VERSION.htm", "<html>1.2.3</html>\n");
  server.AddFile("/new/help.zip", std::string("PK\3\4zip\0bytes", 13));
  server.AddRedirect("/old/help.zip", "/new/help.zip");
  ASSERT_TRUE(server.Start());

  Fetch f;
  EXPECT_EQ(f.Get(server.Url("/VERSION.htm")), 0);
  EXPECT_EQ(f.cli.StatusCode(), 200);
  EXPECT_EQ(f.cli.DocName(), "VERSION.htm");
  EXPECT_EQ(f.body.toStdString(), "<html>1.2.3</html>\n");
  EXPECT_EQ(f.begins, 1);
  EXPECT_EQ(f.ends, 1);

  Fetch r;
  EXPECT_EQ(r.Get(server.Url("/old/help.zip")), 0);
  EXPECT_EQ(r.cli.DocName(), "help.zip");
  EXPECT_EQ(r.body.size(), 13);
  EXPECT_EQ(r.cli.State(), THttpState::httpReady);

  Fetch m;
  EXPECT_EQ(m.Get(server.Url("/missing.htm")), 404);
  EXPECT_EQ(m.cli.ReasonPhrase(), "Not Found");
  EXPECT_EQ(m.Get(server.Url("/VERSION.htm")), 0);  // a client serves one request after another
}

TEST(THttpCli, RedirectToAnotherLoopbackHost) {
  test::HttpServer there;
  there.SetAddress("127.0.0.2");
  there.AddFile("/moved/help.zip", "zip bytes");
  ASSERT_TRUE(there.Start());
  test::HttpServer here;
  here.AddRedirect("/help.zip", there.Url("/moved/help.zip"));
  ASSERT_TRUE(here.Start());

  Fetch f;
  EXPECT_EQ(f.Get(here.Url("/help.zip")), 0);
  EXPECT_EQ(f.body.toStdString(), "zip bytes");
  EXPECT_EQ(f.cli.DocName(), "help.zip");
  const auto log = AccessLog(there.AccessLogPath(), 1);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("\"GET /moved/help.zip HTTP/1.0\" 200"), std::string::npos) << log[0];
}

TEST(THttpCli, BasicAuthAndAFailingDocumentOnNginx) {
  test::HttpServer server;
  server.AddFile("/private/notes.txt", "for ann only");
  server.Protect("/private/", "ann", "s3cret");
  ASSERT_TRUE(server.Start());
  const std::string where = "127.0.0.1:" + std::to_string(server.Port()) + "/private/notes.txt";

  Fetch f;
  EXPECT_EQ(f.Get("http://ann:s3cret@" + where), 0);
  EXPECT_EQ(f.body.toStdString(), "for ann only");
  EXPECT_EQ(f.Get("http://ann:wrong@" + where), 401);
  EXPECT_EQ(f.Get("http://" + where), 401);
  const auto log = AccessLog(server.AccessLogPath(), 3);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_NE(log[0].find(" - ann ["), std::string::npos) << log[0];

  // The caller's document cannot be made: the request ends with the error, the client serves again.
  Fetch d;
  d.cli.OnDocBegin = [&](THttpCli&) {
    ++d.begins;
    throw std::runtime_error("disk full");
  };
  EXPECT_EQ(d.Get("http://ann:s3cret@" + where), 404);
  EXPECT_EQ(d.cli.ReasonPhrase(), "document error: disk full");
  EXPECT_EQ(d.cli.State(), THttpState::httpReady);
  EXPECT_EQ(d.begins, 1);
  EXPECT_TRUE(d.body.isEmpty());
  d.cli.OnDocBegin = [&](THttpCli& c) {
    d.buffer.open(QIODevice::WriteOnly);
    c.RcvdStream = &d.buffer;
  };
  EXPECT_EQ(d.Get("http://ann:s3cret@" + where), 0);
  EXPECT_EQ(d.body.toStdString(), "for ann only");
}

TEST(THttpCli, ScriptedAnswers) {
  struct Case {
    const char* what;
    std::string reply;
    bool keepOpen;
    int error;
    int docs;
    std::string body;
  } cases[] = {
      {"content length 0", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", true, 0, 0, ""},
      {"header-less html", "<html><p>hi</p></html>\r\n", false, 0, 1, "<html><p>hi</p></html>\r\n"},
      {"nothing at all", "", false, 0, 0, ""},
      {"closed in mid-header", "HTTP/1.0 200 OK\r\nServer: x\r\n", false, 404, 0, ""},
      {"garbage length", "HTTP/1.0 200 OK\r\nContent-Length: lots\r\n\r\nxx", true, 404, 0, ""},
      {"silence after the header", "HTTP/1.0 200 OK\r\n", true, 404, 0, ""},
  };
  for (const auto& c : cases) {
    test::FakeServer server(test::FakeServer::Mode::kReplyFile);
    server.SetReply(c.reply, c.keepOpen);
    ASSERT_TRUE(server.Start());
    Fetch f;
    f.cli.Timeout = 1;
    EXPECT_EQ(f.Get("http://127.0.0.1:" + std::to_string(server.Port()) + "/setup.exe"), c.error) << c.what;
    EXPECT_EQ(f.begins, c.docs) << c.what;
    EXPECT_EQ(f.ends, c.docs) << c.what;
    EXPECT_EQ(f.body.toStdString(), c.body) << c.what;
    if (c.docs) {
      EXPECT_EQ(f.cli.DocName(), "setup.htm") << c.what;
    }
  }
}

TEST(THttpCli, RefusedBusyAndEndlessRedirects) {
  test::FakeServer loop(test::FakeServer::Mode::kReplyFile);
  loop.SetReply("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n");
  ASSERT_TRUE(loop.Start());
  Fetch f;
  EXPECT_EQ(f.Get("http://127.0.0.1:" + std::to_string(loop.Port()) + "/"), 404);
  EXPECT_EQ(f.cli.ReasonPhrase(), "too many redirections");

  const uint16_t port = loop.Port();
  loop.Stop();
  EXPECT_EQ(f.Get("http://127.0.0.1:" + std::to_string(port) + "/"), 404);
  EXPECT_EQ(f.cli.ReasonPhrase(), "Connection refused (Error #10061)");

  test::FakeServer silent(test::FakeServer::Mode::kSilent);
  ASSERT_TRUE(silent.Start());
  Fetch outer;
  outer.cli.Timeout = 1;
  int inner = -1;
  QTimer::singleShot(100, [&] { inner = outer.Get("http://127.0.0.1/"); });
  EXPECT_EQ(outer.Get("http://127.0.0.1:" + std::to_string(silent.Port()) + "/"), 404);
  EXPECT_EQ(inner, 1);  // the same client asked again inside its own wait
}

}  // namespace
}  // namespace mobrelle
