// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "cli/Commands.h"

class QCoreApplication;

namespace hypsor::cli {

// What the drawing module (hypsor-draw, cli/draw/) gives hypsor-cli: the commands that draw and
// the application object they need. The tool loads it only for those commands, so every other
// command starts without the GUI libraries.
struct DrawModule {
  // A QApplication, on the offscreen platform when there is no display. Made instead of the
  // tool's QCoreApplication, before any other Qt application object exists.
  QCoreApplication* (*createApplication)(int& argc, char** argv);
  CommandFunction plot;
  CommandFunction report;
  // results --pdf: an event's results page as a notice-board PDF.
  bool (*eventPdf)(const QString& path, const QString& title, const QByteArray& html,
                   Failure* error);
};

}  // namespace hypsor::cli

// The module's one exported symbol: extern "C" const hypsor::cli::DrawModule* hypsor_draw_module().
inline constexpr char kDrawModuleSymbol[] = "hypsor_draw_module";
using DrawModuleEntry = const hypsor::cli::DrawModule* (*)();
