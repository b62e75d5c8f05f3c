// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTextStream>

#include "cli/Commands.h"
#include "contest/ContestSession.h"

namespace hypsor::test {

// A flight file kept in a contest folder as `download --session` keeps a flight, through the
// same two steps: the kept file's path on out, the exit status the download would have. Run by
// the test tool hypsor-keep-file (a station of its own) and by suites in-process.
inline int KeepFile(const QString& folder, const QString& path, QTextStream& out,
                    QTextStream& err) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    err << "cannot read " << path << ": " << file.errorString() << '\n';
    return cli::ExitFile;
  }
  const QByteArray bytes = file.readAll();
  ContestSession session;
  if (const int status = cli::OpenSessionForKeep(folder, session, err)) return status;
  return cli::KeepIntoSession(session,
                              {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size())},
                              out, err);
}

}  // namespace hypsor::test
