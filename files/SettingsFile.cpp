// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SettingsFile.h"

#include <cstring>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace hypsor {
namespace {

void PutInt32(SettingsBytes& out, int offset, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (int k = 0; k < 4; ++k) out[offset + k] = static_cast<std::uint8_t>(u >> (8 * k));
}

std::int32_t GetInt32(const SettingsBytes& in, int offset) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(in[offset + k]) << (8 * k);
  return static_cast<std::int32_t>(u);
}

bool FolderIsWritable(const QString& folder) {
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
  // Permission bits do not tell the whole story (read-only mounts, ACLs): try it.
  QTemporaryFile probe(folder + QStringLiteral("/.hypsor-probe-XXXXXX"));
  return probe.open();
}

}  // namespace

SettingsRecord DefaultSettings() {
  SettingsRecord r{};
  std::memcpy(r.PortName, "COM5", 4);
  r.PortIndex = 4;
  r.Reserved = 50;
  r.Language = 0;
  r.ShowAcceleration = 1;
  r.PreCutCm = 350;
  r.FinalCutCm = 250;
  r.PreFilterWindow = 8;
  r.FinalFilterWindow = 12;
  return r;
}

SettingsBytes EncodeSettings(const SettingsRecord& r) {
  SettingsBytes out{};
  std::memcpy(out.data(), r.PortName, 8);
  PutInt32(out, 8, r.PortIndex);
  PutInt32(out, 12, r.Reserved);
  PutInt32(out, 16, r.Language);
  PutInt32(out, 20, r.ShowAcceleration);
  PutInt32(out, 24, r.PreCutCm);
  PutInt32(out, 28, r.FinalCutCm);
  PutInt32(out, 32, r.PreFilterWindow);
  PutInt32(out, 36, r.FinalFilterWindow);
  return out;
}

SettingsRecord DecodeSettings(const std::uint8_t* data, std::size_t size) {
  const SettingsRecord defaults = DefaultSettings();
  SettingsBytes bytes = EncodeSettings(defaults);
  const std::size_t n = size < bytes.size() ? size : bytes.size();
  if (n > 0) std::memcpy(bytes.data(), data, n);

  SettingsRecord r{};
  std::memcpy(r.PortName, bytes.data(), 8);
  r.PortIndex = GetInt32(bytes, 8);
  r.Reserved = GetInt32(bytes, 12);
  r.Language = GetInt32(bytes, 16);
  r.ShowAcceleration = GetInt32(bytes, 20);
  r.PreCutCm = GetInt32(bytes, 24);
  r.FinalCutCm = GetInt32(bytes, 28);
  r.PreFilterWindow = GetInt32(bytes, 32);
  r.FinalFilterWindow = GetInt32(bytes, 36);

  if (r.Language != 0 && r.Language != 1) r.Language = 0;
  if (std::memchr(r.PortName, 0, sizeof r.PortName) == nullptr)
    std::memcpy(r.PortName, defaults.PortName, sizeof r.PortName);
  return r;
}

QString PortNameText(const SettingsRecord& record) {
  const void* end = std::memchr(record.PortName, 0, sizeof record.PortName);
  const auto len = end ? static_cast<const char*>(end) - record.PortName
                       : static_cast<qsizetype>(sizeof record.PortName);
  return QString::fromLatin1(record.PortName, len);
}

bool SetPortName(SettingsRecord& record, const QString& name) {
  const QByteArray latin = name.toLatin1();
  if (latin.size() > PortNameMaxLength || latin.contains('\0') || latin.isEmpty()) return false;
  std::memset(record.PortName, 0, sizeof record.PortName);
  std::memcpy(record.PortName, latin.constData(), static_cast<std::size_t>(latin.size()));
  return true;
}

QString SettingsPathBesideExecutable(const QString& executablePath) {
  const QFileInfo info(executablePath);
  const QString base =
      info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
  // completeBaseName drops only the last extension ("hypsor.exe" -> "hypsor").
  const QString name = info.suffix().isEmpty() ? info.fileName() : base;
  return info.absolutePath() + QLatin1Char('/') + name + QStringLiteral(".par");
}

namespace {

QString UserSettingsPath(const QString& fileName, const QString& configDir) {
  QString folder = configDir;
  if (folder.isEmpty())
    folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  if (folder.isEmpty()) return {};
  return QDir(folder).filePath(fileName);
}

bool SystemFolder(const QString& folder) {
  const QString f = QDir::cleanPath(folder);
  return f.startsWith(QStringLiteral("/usr/")) || f == QStringLiteral("/bin") ||
         f == QStringLiteral("/sbin");
}

bool CanRead(const QFileInfo& f) {
  return f.isFile() && f.isReadable();
}

}  // namespace

SettingsPaths ChooseSettingsPaths(const QString& executablePath, const QString& configDir) {
  const QString beside = SettingsPathBesideExecutable(executablePath);
  const QFileInfo besideInfo(beside);
  QString user = UserSettingsPath(besideInfo.fileName(), configDir);
  if (user.isEmpty()) user = beside;
  const QFileInfo userInfo(user);

  SettingsPaths p;
  const bool besideWritable =
      !SystemFolder(besideInfo.absolutePath()) && FolderIsWritable(besideInfo.absolutePath()) &&
      (!besideInfo.exists() || (besideInfo.isFile() && besideInfo.isWritable()));
  p.write = besideWritable ? beside : user;
  p.fallback = user;
  if (CanRead(besideInfo) && CanRead(userInfo))
    p.read = userInfo.lastModified() > besideInfo.lastModified() ? user : beside;
  else if (CanRead(besideInfo))
    p.read = beside;
  else if (CanRead(userInfo))
    p.read = user;
  else if (besideInfo.exists())
    p.read = beside;
  else
    p.read = userInfo.exists() ? user : p.write;
  if (p.write == user) QDir().mkpath(userInfo.absolutePath());
  return p;
}

SettingsPaths NamedSettingsPaths(const QString& path, const QString& configDir) {
  const QString user = UserSettingsPath(QStringLiteral("hypsor.par"), configDir);
  return {path, path, user};
}

bool LoadSettings(const QString& path, SettingsRecord& record, Failure* error,
                  ReadOpenStatus* status) {
  record = DefaultSettings();
  if (status) *status = ReadOpenStatus::Ok;
  if (!QFileInfo::exists(path)) return true;
  QFile file;
  const ReadOpenResult opened = OpenRegularFileForReading(file, path);
  if (opened.status != ReadOpenStatus::Ok) {
    if (error) *error = opened.failure;
    if (status) *status = opened.status;
    return false;
  }
  // Only the record's bytes are read; anything after them is ignored.
  const QByteArray data = file.read(SettingsRecordSize);
  record = DecodeSettings(reinterpret_cast<const std::uint8_t*>(data.constData()),
                          static_cast<std::size_t>(data.size()));
  return true;
}

bool SaveSettings(const QString& path, const SettingsRecord& record, Failure* error,
                  WriteFailure* failure) {
  const SettingsBytes bytes = EncodeSettings(record);
  return WriteFileAtomically(
      path, QByteArray(reinterpret_cast<const char*>(bytes.data()), SettingsRecordSize), error,
      failure);
}

}  // namespace hypsor
