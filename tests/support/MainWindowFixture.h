// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include "tests/support/FakePlatform.h"
#include "ui/AppWindows.h"

namespace hypsor::test {

// A window's control by its object name; fails the test when the window has none.
template <class T>
T* Child(const QObject* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << "no control named " << name;
  return found;
}

// The program's windows built headless against platform doubles and a settings file in a
// temporary folder, as the start-up builds them.
struct MainWindowFixture {
  QTemporaryDir dir;
  FakeMessageBox boxes;
  FakeFileDialogs dialogs;
  FakeDocumentOpener documents;
  std::unique_ptr<AppWindows> windows;
  // The altimeter's line and its clock, when a test gives a scripted one.
  SerialLine* line = nullptr;
  Clock* lineClock = nullptr;

  QString SettingsPath() const { return dir.filePath(QStringLiteral("hypsor.par")); }
  // The per-user file the window falls back to when the settings file cannot be read.
  QString FallbackPath() const { return dir.filePath(QStringLiteral("user/hypsor.par")); }
  MainWindow& Window() { return *windows->main; }
  FlightWorkspace& Workspace() { return windows->main->Workspace(); }
  QString PreferencesPath() const { return dir.filePath(QStringLiteral("preferences.ini")); }
  // The window's own preferences file lives in the test's folder too.
  void Create() {
    qputenv("HYPSOR_PREFERENCES", PreferencesPath().toLocal8Bit());
    PlatformServices services{boxes, dialogs, documents};
    services.line = line;
    services.lineClock = lineClock;
    windows = CreateWindows(services, SettingsPaths{SettingsPath(), SettingsPath(), FallbackPath()});
  }
  template <class T>
  T* Control(const char* name) {
    return Child<T>(&Window(), name);
  }
  // Creates the windows and shows the main window at the given size.
  void Show(int width, int height) {
    Create();
    Window().resize(width, height);
    Window().show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  }
  // Opens a flight file as the main flight or the comparison, through the buttons.
  void Open(const QString& path) {
    dialogs.openNames << path;
    Click("loadButton");
  }
  void Compare(const QString& path) {
    dialogs.openNames << path;
    Click("compareButton");
  }
  // Clicks a button of the main window by its object name; an exchange with the altimeter it
  // starts runs to its end first.
  void Click(const char* name) {
    if (auto* b = Control<QAbstractButton>(name)) QTest::mouseClick(b, Qt::LeftButton);
    WaitForExchange();
  }
  void WaitForExchange() {
    if (!windows) return;
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Window().ExchangeRunning(); }, 60000));
  }
  // Triggers a menu action of the main window by its object name.
  void Trigger(const char* name) {
    if (auto* a = Control<QAction>(name)) a->trigger();
  }
};

}  // namespace hypsor::test
