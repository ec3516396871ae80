#include "polling/pop3/pop3_line_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace mobrelle {
namespace {

// Feeds the bytes in reads of at most `chunk`, as a socket would, and collects the lines.
std::vector<std::string> Lines(const std::string& bytes, size_t chunk) {
  Pop3LineBuffer b;
  std::vector<std::string> out;
  size_t pos = 0;
  std::string line;
  for (int guard = 0; pos < bytes.size() && guard < 1000000; ++guard) {
    pos += b.Append(bytes.data() + pos, std::min(chunk, bytes.size() - pos));
    while (b.NextLine(line)) out.push_back(line);
  }
  EXPECT_EQ(pos, bytes.size());
  return out;
}

TEST(Pop3LineBuffer, SplitsOnCrLfOnlyWhateverTheReads) {
  const std::string bytes = "+OK one\r\nbare\nlf\r\n\r\nlast\r\ntail";
  for (size_t chunk : {1u, 2u, 3u, 7u, 4093u}) {
    const std::vector<std::string> want = {"+OK one", "bare\nlf", "", "last"};
    EXPECT_EQ(Lines(bytes, chunk), want) << chunk;
  }
}

TEST(Pop3LineBuffer, LongLineComesInPiecesOf4093) {
  const std::string bytes = std::string(10000, 'x') + "\r\nnext\r\n";
  for (size_t chunk : {1000u, 4093u}) {
    const std::vector<std::string> got = Lines(bytes, chunk);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].size(), 4093u);
    EXPECT_EQ(got[1].size(), 4093u);
    EXPECT_EQ(got[2].size(), 10000u - 2 * 4093u);
    EXPECT_EQ(got[3], "next");
  }
}

TEST(Pop3LineBuffer, CrAtTheEndOfAReadWaitsForItsLf) {
  Pop3LineBuffer b;
  std::string line;
  b.Append("abc\r", 4);
  EXPECT_FALSE(b.NextLine(line));
  b.Append("\nz", 2);
  ASSERT_TRUE(b.NextLine(line));
  EXPECT_EQ(line, "abc");
  EXPECT_EQ(b.Held(), 1u);
  EXPECT_EQ(b.Room(), 4092u);
}

}  // namespace
}  // namespace mobrelle
