// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdlib>

namespace hypsor::fuzz {

// A broken expectation: abort, so libFuzzer keeps the input and the replay test fails.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace hypsor::fuzz
