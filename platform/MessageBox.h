// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace hypsor {

enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxResult { Ok, Cancel };  // Yes answers Ok, No answers Cancel
// A single-button box reports a problem (warning icon) or a success (information icon).
enum class BoxKind { Problem, Success };

// A modal message box with no owner window. The window code reports through this interface so
// that tests can read what was asked and answer it. A box runs an event loop of its own while it
// is up: the windows open one only where nothing of theirs is half done (a device result once
// the controller is idle).
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual BoxResult Show(const QString& text, const QString& caption, BoxButtons buttons,
                         BoxKind kind = BoxKind::Problem) = 0;
};

}  // namespace hypsor
