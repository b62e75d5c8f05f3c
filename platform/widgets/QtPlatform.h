// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/DocumentOpener.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"

namespace hypsor {

// The real implementations of the platform services, on Qt's widgets and desktop services.
class QtMessageBox : public MessageBoxService {
 public:
  BoxResult Show(const QString& text, const QString& caption, BoxButtons buttons,
                 BoxKind kind) override;
};

class QtFileDialogs : public FileDialogService {
 public:
  QString OpenFileName(const FileRequest& request) override;
  QString SaveFileName(const FileRequest& request) override;
  QString FolderName() override;
  QString ExportFileName(const ExportRequest& request) override;
  std::optional<QSize> ChartSize(const SizeRequest& request) override;
};

class QtDocumentOpener : public DocumentOpener {
 public:
  bool Open(const QString& path) override;
};

}  // namespace hypsor
