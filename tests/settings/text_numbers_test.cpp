#include "text/text_numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace zorveth {
namespace {

TEST(LeadingIntegerTest, ReadsSignAndDigitsAndSaturatesBeyond32Bits) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"  -3x", -3},
      {"12x", 12},
      {"abc", 0},
      {"", 0},
      {"+7", 7},
      {" \t+17", 17},
      {"\r\n\v\f9", 9},
      {"-", 0},
      {"- 5", 0},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"99999999999", INT32_MAX},
      {"99999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"-99999999999", INT32_MIN},
      {"-99999999999999999999", INT32_MIN},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(LeadingInteger(text), expected) << text;
}

TEST(PortNumberTest, DropsEveryComAndRefusesNumbersNoPortHas) {
  const std::pair<const char*, std::int16_t> cases[] = {
      {"COM12", 12}, {"12", 12},  {"COM33 (ttyUSB0)", 33}, {"COM70000", 0}, {"COM-3", 0},
      {"", 0},       {"com5", 0}, {"COMCOM7", 7},          {"CCOMOM7", 0},  // one pass: what is
                                                                            // left is "COM7", not a
                                                                            // number
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(PortNumberFromText(text), expected) << text;
  }
  EXPECT_EQ(WithoutCom("COM33 (ttyUSB0)"), "33 (ttyUSB0)");
  EXPECT_EQ(WithoutCom("CCOMOM7"), "COM7");
}

}  // namespace
}  // namespace zorveth
