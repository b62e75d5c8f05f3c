// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's side of the drawing module: finds and loads hypsor-draw for plot and report.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

#include "cli/Commands.h"
#include "cli/DrawModule.h"
#include "text/FailureText.h"

namespace hypsor::cli {

namespace {

const DrawModule* g_module = nullptr;

// Where the module may be: beside the tool (a build tree, Windows), then in the program's own
// folder under the library folder (an installed program). Read before any application object
// exists, so not through QCoreApplication.
QStringList ModuleCandidates() {
  const QString name = QStringLiteral(HYPSOR_DRAW_MODULE);
#ifdef Q_OS_LINUX
  const QDir tool = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absoluteDir();
  return {tool.filePath(name),
          QDir::cleanPath(tool.filePath(QStringLiteral(HYPSOR_DRAW_FROM_BINDIR "/") + name))};
#else
  // The system's loader looks in the executable's folder first for a bare name.
  return {name};
#endif
}

const DrawModule* LoadDrawModule(Failure* error) {
  if (g_module) return g_module;
  const QStringList candidates = ModuleCandidates();
  QStringList failures;
  for (const QString& path : candidates) {
    if (QDir::isAbsolutePath(path) && !QFileInfo::exists(path)) continue;
    // Never unloaded: the application object it makes lives until the tool exits.
    QLibrary library(path);
    const auto entry = reinterpret_cast<DrawModuleEntry>(library.resolve(kDrawModuleSymbol));
    if (entry) return g_module = entry();
    failures << library.errorString();
  }
  Failure why = Failure::System(FailureKind::DrawModuleLoad, {}, failures.join(QLatin1Char(' ')));
  if (failures.isEmpty()) {
    why.kind = FailureKind::DrawModuleNotFound;
    why.names = candidates;
  }
  Fail(error, std::move(why));
  return nullptr;
}

int NoModule(QTextStream& err) {
  err << "hypsor-cli: " << FailureText(Failure::Of(FailureKind::DrawModuleMissing, {}), kEnglish)
      << '\n';
  return ExitFile;
}

}  // namespace

std::unique_ptr<QCoreApplication> MakeDrawingApplication(int& argc, char** argv, Failure* error) {
  const DrawModule* module = LoadDrawModule(error);
  if (!module) return nullptr;
  return std::unique_ptr<QCoreApplication>(module->createApplication(argc, argv));
}

int DrawPlot(const QStringList& args, QTextStream& out, QTextStream& err) {
  return g_module ? g_module->plot(args, out, err) : NoModule(err);
}

int DrawReport(const QStringList& args, QTextStream& out, QTextStream& err) {
  return g_module ? g_module->report(args, out, err) : NoModule(err);
}

bool DrawEventPdf(const QString& path, const QString& title, const QByteArray& html,
                  Failure* error) {
  if (g_module) return g_module->eventPdf(path, title, html, error);
  return Fail(error, Failure::Of(FailureKind::DrawModuleMissing, {}));
}

}  // namespace hypsor::cli
