#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace velmo {
namespace {

using namespace std::string_literals;

TEST(WithVisibleControls, ShowsEachControlCharacterAsASymbol) {
  struct Case {
    std::string text, shown;
  };
  const Case cases[] = {
      {"plain text, ø and € stay", "plain text, ø and € stay"},
      {"a\0b"s, "a␀b"},
      {"\x01\x1F", "␁␟"},
      {"\x1B[31mred", "␛[31mred"},
      {"\r", "␍"},
      {"tab\tand\nline break stay", "tab\tand\nline break stay"},
      {"\x7F", "␡"},
      {"C1 \xC2\x80\xC2\x9B\xC2\x9F, not \xC2\xA0", "C1 \uFFFD\uFFFD\uFFFD, not \u00A0"},
      {"\xC2", "\xC2"},
  };
  for (const Case& c : cases) EXPECT_EQ(withVisibleControls(c.text), c.shown) << c.text;
}

}  // namespace
}  // namespace velmo
