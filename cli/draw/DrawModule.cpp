// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-draw: the half of hypsor-cli that draws (plot, report), loaded by the tool only for those
// commands. It carries the widgets, the window's chart and report, and their QApplication.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cli/DrawModule.h"
#include "ui/EventResultsPdf.h"

namespace hypsor::cli {

namespace {

QCoreApplication* CreateApplication(int& argc, char** argv) {
  // Drawing a chart needs the widgets; without a display they run on the offscreen platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // Without a session (a script, a service) there is no runtime folder, and Qt notes on standard
  // error that it makes one; a private folder of our own, gone at exit, leaves nothing to note.
  // (Qt 6.4 gives that note no logging category of its own to filter it by.)
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    static QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/hypsor-runtime-XXXXXX"));
    if (runtime.isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  }
  return new QApplication(argc, argv);
}

constexpr DrawModule kModule{CreateApplication, RunPlot, RunReport, WriteEventResultsPdf};

}  // namespace

}  // namespace hypsor::cli

extern "C" Q_DECL_EXPORT const hypsor::cli::DrawModule* hypsor_draw_module() {
  return &hypsor::cli::kModule;
}
