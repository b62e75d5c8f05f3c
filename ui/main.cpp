// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

#include "device/PortChoices.h"
#include "files/SettingsFile.h"
#include "platform/ExecutablePath.h"
#include "platform/Version.h"
#include "platform/widgets/QtContestDialogs.h"
#include "platform/widgets/QtPlatform.h"
#include "platform/widgets/StartupProbe.h"
#include "ui/AppWindows.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowSimulation.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The name places the fallback settings folder (~/.config/hypsor). No display name is set:
  // Qt would append it to every window caption.
  QApplication::setApplicationName(QStringLiteral("hypsor"));
  QApplication::setApplicationVersion(hypsor::ProgramVersion());
  // Ties the windows to the installed desktop entry (its name and icon in docks and on Wayland).
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.hypsor.Hypsor"));

  // Two options for trying the program without touching the user's own settings: another
  // settings file, and a port to use in it.
  QCommandLineParser parser;
  parser.addHelpOption();
  // Qt's own version option prints no licence.
  QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Show the version and the licence."));
  parser.addOption(versionOption);
  QCommandLineOption settingsOption(QStringLiteral("settings"),
                                    QStringLiteral("Settings file to use instead of hypsor.par."),
                                    QStringLiteral("FILE"));
  QCommandLineOption portOption(QStringLiteral("port"),
                                QStringLiteral("Serial port to use (stored in the settings file)."),
                                QStringLiteral("NAME"));
  QCommandLineOption simulationOption(
      QStringLiteral("simulation"),
      QStringLiteral("Flight simulation (CSV) to draw beside the flight and compare it with."),
      QStringLiteral("CSV"));
  parser.addOption(settingsOption);
  parser.addOption(portOption);
  parser.addOption(simulationOption);
  parser.addPositionalArgument(QStringLiteral("FLIGHT"), QStringLiteral("Flight file to open."),
                               QStringLiteral("[FLIGHT"));
  parser.addPositionalArgument(QStringLiteral("COMPARISON"),
                               QStringLiteral("Flight file to compare it with."),
                               QStringLiteral("[COMPARISON]]"));
  parser.process(app);
  if (parser.isSet(versionOption)) {
    std::fputs(qPrintable(hypsor::VersionText(QStringLiteral("hypsor"))), stdout);
    return 0;
  }

  // A port the program could not open later is refused now, before any window.
  QString port;
  if (parser.isSet(portOption)) {
    port = hypsor::StorablePortName(parser.value(portOption));
    if (port.isEmpty()) {
#ifdef Q_OS_WIN
      std::fprintf(stderr,
                   "hypsor: cannot use the port \"%s\": a port is a COM port named with at most "
                   "7 characters (COM3, COM12)\n",
                   qPrintable(parser.value(portOption)));
#else
      std::fprintf(stderr,
                   "hypsor: cannot use the port \"%s\": a port is a device under /dev, named "
                   "with at most 7 characters (ttyUSB0, pts/3 or /dev/pts/3), without \"..\"\n",
                   qPrintable(parser.value(portOption)));
#endif
      return 2;
    }
  }

  const hypsor::SettingsPaths settingsPaths =
      parser.isSet(settingsOption) ? hypsor::NamedSettingsPaths(parser.value(settingsOption))
                                   : hypsor::ChooseSettingsPaths(hypsor::ExecutablePath());

  hypsor::QtMessageBox boxes;
  hypsor::QtFileDialogs dialogs;
  hypsor::QtDocumentOpener documents;
  hypsor::QtContestDialog contest;
  hypsor::QtPrintService printer;
  auto windows =
      hypsor::CreateWindows({boxes, dialogs, documents, &contest, &printer}, settingsPaths);
  if (!port.isEmpty()) hypsor::SetPortName(windows->main->Workspace().Settings(), port);
  const QStringList files = parser.positionalArguments();
  if (!files.isEmpty())
    windows->main->OpenFlightFiles(files[0], files.size() > 1 ? files[1] : QString());
  if (parser.isSet(simulationOption))
    windows->main->Simulation().OpenSimulationFile(parser.value(simulationOption));
  windows->main->showMaximized();
  hypsor::StartupProbe::Arm(*windows->main);
  app.exec();
  return 0;
}
