#include <QApplication>
#include <QCommandLineParser>

#include "files/SettingsFile.h"
#include "platform/ExecutablePath.h"
#include "platform/Version.h"
#include "platform/widgets/QtPlatform.h"
#include "ui/AppWindows.h"

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
  parser.addVersionOption();
  QCommandLineOption settingsOption(QStringLiteral("settings"),
                                    QStringLiteral("Settings file to use instead of hypsor.par."),
                                    QStringLiteral("FILE"));
  QCommandLineOption portOption(QStringLiteral("port"),
                                QStringLiteral("Serial port to use (stored in the settings file)."),
                                QStringLiteral("NAME"));
  parser.addOption(settingsOption);
  parser.addOption(portOption);
  parser.process(app);

  const QString settingsPath = parser.isSet(settingsOption)
                                   ? parser.value(settingsOption)
                                   : hypsor::ChooseSettingsPath(hypsor::ExecutablePath());

  hypsor::QtMessageBox boxes;
  hypsor::QtFileDialogs dialogs;
  hypsor::QtDocumentOpener documents;
  auto windows = hypsor::CreateWindows({boxes, dialogs, documents}, settingsPath);
  if (parser.isSet(portOption))
    hypsor::SetPortName(windows->main->Workspace().Settings(), parser.value(portOption));
  windows->main->showMaximized();
  app.exec();
  return 0;
}
