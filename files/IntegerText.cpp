#include "files/IntegerText.h"

namespace hypsor {

namespace {

int DigitValue(QChar c, int base) {
  const char16_t u = c.unicode();
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

std::optional<std::int32_t> ParseWindowInteger(QStringView text) {
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

  // The magnitude may reach 2^31 only for a negative number; checked at every digit, so a long
  // string of digits cannot overflow the accumulator.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (; i < size; ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace hypsor
