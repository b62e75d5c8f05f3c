// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-draw: the half of hypsor-cli that draws (plot, report), loaded by the tool only for those
// commands. It carries the widgets, the window's chart and report, and their QApplication.
#include <QApplication>

#include <cstdio>

#include "cli/DrawModule.h"

namespace hypsor::cli {

namespace {

// The offscreen platform's notes about what it cannot do are no news to a command-line user.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg &&
      (text.startsWith(QLatin1String("This plugin does not support")) ||
       text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
    return;
  std::fputs(qPrintable(qFormatLogMessage(type, context, text) + QLatin1Char('\n')), stderr);
}

QCoreApplication* CreateApplication(int& argc, char** argv) {
  // Drawing a chart needs the widgets; without a display they run on the offscreen platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietOffscreenNotes);
  return new QApplication(argc, argv);
}

constexpr DrawModule kModule{CreateApplication, RunPlot, RunReport};

}  // namespace

}  // namespace hypsor::cli

extern "C" Q_DECL_EXPORT const hypsor::cli::DrawModule* hypsor_draw_module() {
  return &hypsor::cli::kModule;
}
