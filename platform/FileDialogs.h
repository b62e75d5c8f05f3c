// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>

#include <QSize>
#include <QString>
#include <QStringList>

namespace hypsor {

// File dialogs: no default extension, and no overwrite prompt of their own but for exports.
// An empty result means the user cancelled.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // What a dialog shows: its caption, its filters ("PNG (*.png)"; the first is chosen at the
  // start) and where it starts: a folder, or a file name it suggests.
  struct FileRequest {
    QString caption;
    QStringList filters;
    QString suggestedPath;
  };
  virtual QString OpenFileName(const FileRequest& request) = 0;
  virtual QString SaveFileName(const FileRequest& request) = 0;
  // An existing folder; the base version has none to offer.
  virtual QString FolderName() { return {}; }

  // The file an export goes to; the dialog asks before replacing a file. The base version asks
  // as SaveFileName does.
  using ExportRequest = FileRequest;
  virtual QString ExportFileName(const ExportRequest& request) { return SaveFileName(request); }

  // The size a chart is exported at: the window's, or one the user types; nothing when
  // cancelled. The base version takes the window's.
  struct SizeRequest {
    QString caption, windowSizeText, widthText, heightText;
    QSize windowSize;
  };
  virtual std::optional<QSize> ChartSize(const SizeRequest& request) { return request.windowSize; }
};

}  // namespace hypsor
