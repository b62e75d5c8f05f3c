// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: any UTF-8 text through the one integer rule, against a plain second reading of the
// same rule written for clarity rather than speed.
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "files/IntegerText.h"
#include "fuzz/FuzzCheck.h"

using hypsor::fuzz::Check;

namespace {

bool IsDecimal(char16_t c) {
  return c >= u'0' && c <= u'9';
}

bool IsHex(char16_t c) {
  return IsDecimal(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

std::optional<std::int32_t> Reference(const std::u16string& text) {
  std::size_t i = text.find_first_not_of(u' ');
  if (i == std::u16string::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == u'-' || text[i] == u'+') negative = text[i++] == u'-';
  const bool hex = i < text.size() && text[i] == u'$';
  if (hex) ++i;
  std::u16string digits = text.substr(i);
  if (digits.empty()) return std::nullopt;
  for (char16_t c : digits)
    if (!(hex ? IsHex(c) : IsDecimal(c))) return std::nullopt;
  // Without leading zeros, more than 8 hex or 10 decimal digits cannot fit.
  const std::size_t first = digits.find_first_not_of(u'0');
  digits = first == std::u16string::npos ? std::u16string(u"0") : digits.substr(first);
  if (digits.size() > (hex ? 8u : 10u)) return std::nullopt;
  const std::uint64_t value =
      std::stoull(std::string(digits.begin(), digits.end()), nullptr, hex ? 16 : 10);
  if (hex) {
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
  }
  if (value > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(value)
                                            : static_cast<std::int64_t>(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const std::optional<std::int32_t> parsed = hypsor::ParseIntegerText(text);
  Check(parsed == Reference(text.toStdU16String()));
  // What the rule accepts it also reads back from its own decimal and hexadecimal spellings.
  if (parsed) {
    Check(hypsor::ParseIntegerText(QString::number(*parsed)) == parsed);
    const QString hex = QLatin1Char('$') + QString::number(static_cast<std::uint32_t>(*parsed), 16);
    Check(hypsor::ParseIntegerText(hex) == parsed);
  }
  return 0;
}
