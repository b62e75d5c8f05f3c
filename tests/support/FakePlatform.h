// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

#include "platform/DocumentOpener.h"
#include "platform/FileDialogs.h"
#include "tests/support/FakeMessageBox.h"

namespace hypsor::test {

// File dialogs that answer with scripted names (empty: the user cancelled) and count the asks.
class FakeFileDialogs : public FileDialogService {
 public:
  QString OpenFileName(const FileRequest& request) override {
    ++openAsked;
    openRequests.append(request);
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
  }
  QString SaveFileName(const FileRequest& request) override {
    ++saveAsked;
    saveRequests.append(request);
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
  }
  QString FolderName() override {
    return folderNames.isEmpty() ? QString() : folderNames.takeFirst();
  }
  QStringList folderNames;
  // Exports answer from saveNames too; the chart size is the window's unless scripted.
  QString ExportFileName(const ExportRequest& request) override {
    exportRequests.append(request);
    ++saveAsked;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
  }
  std::optional<QSize> ChartSize(const SizeRequest& request) override {
    ++sizeAsked;
    if (!chartSizes.isEmpty()) return chartSizes.takeFirst();
    return request.windowSize;
  }
  QStringList openNames, saveNames;
  int openAsked = 0, saveAsked = 0;
  QList<ExportRequest> exportRequests;
  QList<FileRequest> openRequests, saveRequests;  // what the other dialogs showed
  QList<std::optional<QSize>> chartSizes;  // std::nullopt: cancelled
  int sizeAsked = 0;
};

// Records the documents the program asks the system to open; "opening" fails like a missing file.
class FakeDocumentOpener : public DocumentOpener {
 public:
  bool Open(const QString& path) override {
    opened.append(path);
    return result;
  }
  QStringList opened;
  bool result = false;
};

}  // namespace hypsor::test
