// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Diagnostics on stderr, capped: a harness that never reads our stderr pipe must not be able to
// block the device once the pipe is full, however much odd input it feeds us.

#include <cstdarg>
#include <cstdio>

namespace hypsor::sim {

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
inline void
Diagnose(const char* format, ...) {
  constexpr int kMaxLines = 200;
  static int lines = 0;
  if (lines > kMaxLines) return;
  if (++lines > kMaxLines) {
    std::fputs("hypsor-sim: further diagnostics suppressed\n", stderr);
    return;
  }
  std::fputs("hypsor-sim: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

}  // namespace hypsor::sim
