// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>

#include <QStringView>

namespace hypsor {

// The one conversion of typed text to an integer, for every field and option that takes one:
// leading blanks (spaces) are skipped, then an optional "+" or "-", then decimal digits, or "$"
// and hexadecimal digits. Nothing may follow the digits.
// Decimal must fit a signed 32-bit integer (-2147483648 .. 2147483647). Hexadecimal gives a 32-bit
// pattern, so "$FFFFFFFF" is -1 and "$80000000" is -2147483648; a sign in front negates it
// ("-$10" is -16, "-$FFFFFFFF" is 1). Empty text, any other character and more than 32 bits
// give nullopt, so the caller can refuse the text or put its fallback in.
std::optional<std::int32_t> ParseIntegerText(QStringView text);

}  // namespace hypsor
