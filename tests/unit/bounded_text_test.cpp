// Bounded composition: a path that does not fit leaves nothing half composed behind.
#include "common/bounded_text.h"

#include <gtest/gtest.h>

namespace {

TEST(BoundedText, JoinPathAllOrNothing) {
  const struct {
    std::size_t cap;
    const char* head;
    const char* tail;
    const char* joined;  // empty: does not fit
  } cases[] = {
      {7, "C:", "App", "C:\\App"}, {6, "C:", "App", ""}, {8, "C:\\", "A", "C:\\\\A"},
      {2, "", "", "\\"},           {1, "", "", ""},      {8, "", "A", "\\A"},
  };
  for (const auto& c : cases) {
    char dst[8] = "stale";
    EXPECT_EQ(JoinPath(dst, c.cap, c.head, c.tail), c.joined[0] != '\0') << c.head << c.tail;
    EXPECT_STREQ(dst, c.joined) << c.head << c.tail;
  }
  char none[1] = {'x'};
  EXPECT_FALSE(CopyText(none, 0, ""));
}

}  // namespace
