#pragma once
#include <QStringList>

#include "platform/DocumentOpener.h"
#include "platform/FileDialogs.h"
#include "tests/support/FakeMessageBox.h"

namespace hypsor::test {

// File dialogs that answer with scripted names (empty: the user cancelled) and count the asks.
class FakeFileDialogs : public FileDialogService {
 public:
  QString OpenFileName() override {
    ++openAsked;
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
  }
  QString SaveFileName() override {
    ++saveAsked;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
  }
  QStringList openNames, saveNames;
  int openAsked = 0, saveAsked = 0;
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
