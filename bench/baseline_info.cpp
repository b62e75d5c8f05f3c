// SPDX-License-Identifier: GPL-3.0-or-later
// The floor under `hypsor-cli info`: a bare Qt Core program that reads the same flight file and
// prints its size. bench/startup-ratios measures the tool against it.
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 2) {
    QTextStream(stderr) << "usage: hypsor_baseline_info FILE\n";
    return 1;
  }
  QFile file(args[1]);
  if (!file.open(QIODevice::ReadOnly)) {
    QTextStream(stderr) << file.errorString() << '\n';
    return 2;
  }
  const QByteArray bytes = file.readAll();
  QTextStream(stdout) << "bytes: " << bytes.size() << '\n';
  return 0;
}
