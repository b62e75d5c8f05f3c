// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QtGlobal>

// Where tests find the sample flights and the helper programs. The helper programs' paths come
// from CTest's environment, so a test never depends on the current directory.
namespace hypsor::test {
inline QString ExamplesDir() {
  return QStringLiteral(HYPSOR_EXAMPLES_DIR);
}
inline QString ExamplePath(const QString& name) {
  return ExamplesDir() + QLatin1Char('/') + name;
}
inline QString SimulatorPath() {
  return qEnvironmentVariable("HYPSOR_SIM");
}
inline QString CliPath() {
  return qEnvironmentVariable("HYPSOR_CLI");
}
}  // namespace hypsor::test
