#pragma once
#include <QString>

namespace hypsor {

enum class BoxButtons { Ok, OkCancel };
enum class BoxResult { Ok, Cancel };

// A modal message box with no owner window. The window code and the device sessions report
// through this interface so that tests can read what was asked and answer it.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual BoxResult Show(const QString& text, const QString& caption, BoxButtons buttons) = 0;
};

}  // namespace hypsor
