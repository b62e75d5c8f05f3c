// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

#include "session/FlightWorkspace.h"

class QAction;
class QMainWindow;

namespace hypsor {

class Clock;
class ContestDialogService;
class DocumentOpener;
class FileDialogService;
class FlightChart;
class MessageBoxService;
class PrintService;
class SerialLine;

// The services the windows reach the system through; tests pass doubles.
struct PlatformServices {
  MessageBoxService& boxes;
  FileDialogService& dialogs;
  DocumentOpener& documents;
  // The contest session dialog and the print dialog; without them their menu entries do nothing.
  ContestDialogService* contest = nullptr;
  PrintService* printer = nullptr;
  // The altimeter's serial line and the clock its exchanges wait on; without them the real
  // serial port and the system clock.
  SerialLine* line = nullptr;
  Clock* lineClock = nullptr;
};

// The window's own commands that added menus list, with their keys.
struct WindowCommands {
  QAction* open;
  QAction* save;
  QAction* quit;
  QAction* info;  // the Info entry of the menu bar: added menus go before it
};

// What the main window lends the views and controls added to it: they show its workspace and
// chart, add their menus and docks to its frame, and report through it.
class WindowHost {
 public:
  virtual QMainWindow& Frame() = 0;
  virtual FlightWorkspace& Workspace() = 0;
  virtual FlightChart& Chart() = 0;
  virtual const PlatformServices& Platform() const = 0;
  virtual WindowCommands Commands() const = 0;
  // While an exchange with the altimeter runs, or the contest waits for its folder's lock,
  // nothing may change the flights.
  virtual bool ExchangeRunning() const = 0;
  // As the Load and Compare buttons; false (and a box) when the file was not opened.
  virtual bool OpenFlightFile(const QString& path, FlightSlot slot) = 0;
  // Draws what the workspace changed.
  virtual void Redraw() = 0;
  // An error box in the language in use.
  virtual void ShowError(const QString& text) = 0;
  // An error box with the failure worded in the language in use.
  virtual void ShowFailure(const Failure& failure) = 0;

 protected:
  ~WindowHost() = default;
};

}  // namespace hypsor
