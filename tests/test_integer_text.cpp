// SPDX-License-Identifier: GPL-3.0-or-later
// The one rule for typed integers, at its edges: blanks, signs, "$" hexadecimal as a 32-bit
// pattern, the signed decimal range, and everything else refused. The device settings window,
// the filter window and the command-line tool all call it, so one table covers them.
#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <optional>

#include "files/IntegerText.h"

namespace hypsor {
namespace {

TEST(IntegerText, AcceptedSpellingsAndTheirValues) {
  const struct {
    const char16_t* text;
    std::int32_t value;
  } cases[] = {
      {u"0", 0},
      {u"350", 350},
      {u"007", 7},
      {u"  8", 8},
      {u"+7", 7},
      {u"-5", -5},
      {u"-0", 0},
      {u"   -12", -12},
      {u"$1F", 31},
      {u"$ff", 255},
      {u"$0", 0},
      {u"$00000000000000001", 1},  // leading zeros do not count towards the 32 bits
      {u" -$10", -16},
      {u"+$10", 16},
      {u"2147483647", 2147483647},
      {u"-2147483648", INT32_MIN},
      {u"0000000000002147483647", 2147483647},
      {u"$7FFFFFFF", 2147483647},
      {u"$80000000", INT32_MIN},
      {u"$FFFFFFFF", -1},
      {u"$fffffffe", -2},
      {u"-$80000000", INT32_MIN},
      {u"-$FFFFFFFF", 1},
      {u"-$7FFFFFFF", -2147483647},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseIntegerText(c.text), std::optional<std::int32_t>(c.value))
        << QString::fromUtf16(c.text).toStdString();
  }
}

TEST(IntegerText, RefusedSpellings) {
  for (const char16_t* bad : {u"",
                              u"   ",
                              u"-",
                              u"+",
                              u"$",
                              u"-$",
                              u" $ ",
                              u"8 ",
                              u"8a",
                              u"1.5",
                              u"1,5",
                              u"--5",
                              u"+-5",
                              u"$G",
                              u"$-1",
                              u"$+1",
                              u"$$1",
                              u"- 5",
                              u"\t8",
                              u"\u00A08",  // a no-break space is not a blank here
                              u"1e3",
                              u"0x1F",
                              u"x1F",
                              u"\u0663",  // an Arabic-Indic three
                              u"\uFF11",  // a full-width one
                              u"2147483648",
                              u"-2147483649",
                              u"4294967295",
                              u"$100000000",
                              u"-$100000000",
                              u"$000000001F0000000",
                              u"99999999999999999999999",
                              u"$FFFFFFFFFFFFFFFFFF"}) {
    EXPECT_FALSE(ParseIntegerText(bad).has_value()) << QString::fromUtf16(bad).toStdString();
  }
}

}  // namespace
}  // namespace hypsor
