// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

// Asks the system to show a document with its usual viewer. Returns false when the system
// could not start a viewer; callers decide whether that matters (a missing help file does not).
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  virtual bool Open(const QString& path) = 0;
};

}  // namespace hypsor
