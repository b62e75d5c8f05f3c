// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <thread>

namespace hypsor {

// Reads the system's font configuration on a thread of its own while the application connects to
// the display, so that the first text the windows lay out finds it loaded rather than loading it
// then (several milliseconds of the start-up). Where Qt finds fonts without fontconfig it does
// nothing. Wait() before the first font is used; the destructor waits too.
class FontWarmUp {
 public:
  FontWarmUp();
  ~FontWarmUp();
  FontWarmUp(const FontWarmUp&) = delete;
  FontWarmUp& operator=(const FontWarmUp&) = delete;

  void Wait();

 private:
  std::thread thread_;
};

}  // namespace hypsor
