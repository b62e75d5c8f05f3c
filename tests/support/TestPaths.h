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
// The test build's own tools (tests/tools/): a flight file kept as a download is, and the writer
// of the sample flights.
inline QString KeepFilePath() {
  return qEnvironmentVariable("HYPSOR_KEEP_FILE");
}
inline QString MakeExamplesPath() {
  return qEnvironmentVariable("HYPSOR_MAKE_EXAMPLES");
}
// How many rounds a stress test runs: HYPSOR_STRESS_ROUNDS when set to a positive number, else
// the test's own default, kept small so that the suite stays quick.
inline int StressRounds(int byDefault) {
  bool ok = false;
  const int rounds = qEnvironmentVariableIntValue("HYPSOR_STRESS_ROUNDS", &ok);
  return ok && rounds > 0 ? rounds : byDefault;
}
}  // namespace hypsor::test
