#pragma once
#include <QString>

namespace hypsor {

// Plain file dialogs: no filter, no default extension, no overwrite prompt of their own.
// An empty result means the user cancelled.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  virtual QString OpenFileName() = 0;
  virtual QString SaveFileName() = 0;
};

}  // namespace hypsor
