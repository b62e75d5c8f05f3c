// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-cli: the application, standard output and the exit status around RunCommandLine.
#include <QCoreApplication>
#include <QIODevice>
#include <QStringList>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/Commands.h"
#include "text/FailureText.h"

using namespace hypsor;
using namespace hypsor::cli;

namespace {

// The command named on the command line: its first argument that is not an option ("help plot"
// names plot, whose help comes from the drawing module).
const char* CommandName(int argc, char** argv) {
  for (int k = 1; k < argc; ++k)
    if (argv[k][0] != '-' && std::strcmp(argv[k], "help") != 0) return argv[k];
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing a chart needs the widgets: the drawing module brings them and their application.
  const char* command = CommandName(argc, argv);
  std::unique_ptr<QCoreApplication> application;
  // results --pdf lays its page out with the same module.
  bool pdf = false;
  for (int k = 1; k < argc; ++k) pdf = pdf || std::strcmp(argv[k], "--pdf") == 0;
  if (std::strcmp(command, "plot") == 0 || std::strcmp(command, "report") == 0 ||
      (std::strcmp(command, "results") == 0 && pdf)) {
    Failure error;
    application = MakeDrawingApplication(argc, argv, &error);
    if (!application) {
      QTextStream(stderr) << "hypsor-cli: " << FailureText(error, kEnglish) << '\n';
      return ExitFile;
    }
  } else {
    application = std::make_unique<QCoreApplication>(argc, argv);
  }
  QCoreApplication& app = *application;
  int status = ExitOk;
  QString failure;  // why standard output was not written, when it was not
  {
    QTextStream out(stdout);
    QTextStream err(stderr);
    status = RunCommandLine(app.arguments().mid(1), out, err);
    out.flush();
    if (out.status() != QTextStream::Ok)
      failure = out.device() ? out.device()->errorString() : QStringLiteral("write error");
  }
  // A result that did not reach its reader (full disk, closed pipe, /dev/full) is a failure:
  // stdio may still hold some of it, so flush and close standard output and look at the result.
  errno = 0;
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && failure.isEmpty())
    failure = errno ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("write error");
  errno = 0;
  if (std::fclose(stdout) != 0 && failure.isEmpty())
    failure = QString::fromLocal8Bit(std::strerror(errno));
  if (!failure.isEmpty()) {
    QTextStream(stderr) << "hypsor-cli: "
                        << FailureText(Failure::System(FailureKind::WriteStandardOutput,
                                                       QStringLiteral("-"), failure),
                                       kEnglish)
                        << '\n';
    if (status == ExitOk) status = ExitFile;
  }
  return status;
}
