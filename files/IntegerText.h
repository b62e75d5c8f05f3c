#pragma once
#include <cstdint>
#include <optional>

#include <QStringView>

namespace hypsor {

// An integer typed into a settings field: leading blanks (spaces) are skipped, then an optional
// "+" or "-", then decimal digits, or "$" and hexadecimal digits ("$1F" is 31, "-$10" is -16).
// Nothing may follow the digits. Empty text, any other character, and a number outside the
// signed 32-bit range give nullopt, so the caller can put its fallback in.
std::optional<std::int32_t> ParseWindowInteger(QStringView text);

}  // namespace hypsor
