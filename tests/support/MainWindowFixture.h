#pragma once
#include <memory>

#include <QTemporaryDir>

#include "tests/support/FakePlatform.h"
#include "ui/HypsorApp.h"

namespace hypsor::test {

// The program's windows built headless against platform doubles and a settings file in a
// temporary folder, as the start-up builds them.
struct MainWindowFixture {
  QTemporaryDir dir;
  FakeMessageBox boxes;
  FakeFileDialogs dialogs;
  FakeDocumentOpener documents;
  std::unique_ptr<HypsorWindows> windows;

  QString SettingsPath() const { return dir.filePath(QStringLiteral("hypsor.par")); }
  THypsor& Window() { return *windows->Hypsor; }
  void Create() { windows = CreateWindows({boxes, dialogs, documents}, SettingsPath()); }
};

}  // namespace hypsor::test
