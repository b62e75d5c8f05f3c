// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the fuzz target once on every file named, or in a folder named, on the command line: the
// g++ build's stand-in for libFuzzer, so the seeds run in CTest under the sanitizers.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
    return 1;
  }
  const QByteArray bytes = f.readAll();
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0;
  int runs = 0;
  for (int k = 1; k < argc; ++k) {
    const QString arg = QString::fromLocal8Bit(argv[k]);
    if (QFileInfo(arg).isDir()) {
      const QDir dir(arg);
      for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        failures += RunFile(dir.filePath(name));
        ++runs;
      }
    } else {
      failures += RunFile(arg);
      ++runs;
    }
  }
  std::printf("%d inputs replayed\n", runs);
  return failures == 0 && runs > 0 ? 0 : 1;
}
