// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QSize>
#include <QString>
#include <QStringList>

namespace hypsor {

// Plain file dialogs: no filter, no default extension, no overwrite prompt of their own.
// An empty result means the user cancelled.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  virtual QString OpenFileName() = 0;
  virtual QString SaveFileName() = 0;
  // An existing folder; the base version has none to offer.
  virtual QString FolderName() { return {}; }

  // The file an export goes to: the dialog shows the caption and the filters ("PNG (*.png)")
  // and starts at suggestedPath; it asks before replacing a file. The base version asks as
  // SaveFileName does.
  struct ExportRequest {
    QString caption;
    QStringList filters;
    QString suggestedPath;
  };
  virtual QString ExportFileName(const ExportRequest&) { return SaveFileName(); }

  // The size a chart is exported at: the window's, or one the user types; nothing when
  // cancelled. The base version takes the window's.
  struct SizeRequest {
    QString caption, windowSizeText, widthText, heightText;
    QSize windowSize;
  };
  virtual std::optional<QSize> ChartSize(const SizeRequest& request) { return request.windowSize; }
};

}  // namespace hypsor
