// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/IntegerText.h"

namespace hypsor {

namespace {

int DigitValue(char16_t u, int base) {
  int v = -1;
  if (u >= u'0' && u <= u'9') {
    v = u - u'0';
  } else if (u >= u'a' && u <= u'f') {
    v = u - u'a' + 10;
  } else if (u >= u'A' && u <= u'F') {
    v = u - u'A' + 10;
  }
  return v < base ? v : -1;
}

}  // namespace

std::optional<std::int32_t> ParseIntegerText(QStringView text) {
  qsizetype i = 0;
  const qsizetype size = text.size();
  while (i < size && text[i] == u' ') ++i;
  bool negative = false;
  if (i < size && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int base = 10;
  if (i < size && text[i] == u'$') {
    base = 16;
    ++i;
  }
  if (i == size) return std::nullopt;  // no digits

  // Checked at every digit, so a long run of digits cannot overflow the accumulator.
  const std::uint64_t limit =
      base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  for (; i < size; ++i) {
    const int digit = DigitValue(text[i].unicode(), base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

}  // namespace hypsor
