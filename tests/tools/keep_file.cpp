// SPDX-License-Identifier: GPL-3.0-or-later
// hypsor-keep-file DIR FILE: keeps a flight file in a contest folder as a download is kept
// (tests/support/KeepFile.h), so that a suite can run several stations as processes of their
// own. A tool of the test build only (HYPSOR_TESTS), not shipped.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include "tests/support/KeepFile.h"

int main(int argc, char** argv) {
  const QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    err << "usage: hypsor-keep-file DIR FILE\n";
    return hypsor::cli::ExitUsage;
  }
  return hypsor::test::KeepFile(args[1], args[2], out, err);
}
