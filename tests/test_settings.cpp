// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: its 40-byte little-endian layout, its defaults, damaged files, where it
// lives and that saving never leaves a torn file.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "files/SettingsFile.h"
#include "support/Failures.h"

using namespace hypsor;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

qint32 Int32At(const QByteArray& b, int offset) {
  return static_cast<qint32>(static_cast<quint8>(b[offset]) |
                             static_cast<quint8>(b[offset + 1]) << 8 |
                             static_cast<quint8>(b[offset + 2]) << 16 |
                             static_cast<quint32>(static_cast<quint8>(b[offset + 3])) << 24);
}

}  // namespace

TEST(Settings, DefaultsWithoutAFileAndTheirExactBytes) {
  QTemporaryDir dir;
  const QString path = dir.filePath("hypsor.par");
  SettingsRecord r{};
  ASSERT_TRUE(LoadSettings(path, r));
  EXPECT_EQ(PortNameText(r), "COM5");
  EXPECT_EQ(r.PortIndex, 4);
  EXPECT_EQ(r.Language, 0);
  EXPECT_EQ(r.ShowAcceleration, 1);
  EXPECT_EQ(r.PreCutCm, 350);
  EXPECT_EQ(r.FinalCutCm, 250);
  EXPECT_EQ(r.PreFilterWindow, 8);
  EXPECT_EQ(r.FinalFilterWindow, 12);
  EXPECT_FALSE(QFileInfo::exists(path)) << "loading must not create the file";

  ASSERT_TRUE(SaveSettings(path, r));
  const QByteArray b = ReadAll(path);
  ASSERT_EQ(b.size(), 40);
  EXPECT_EQ(b.left(8), QByteArray("COM5\0\0\0\0", 8));
  const qint32 expected[] = {4, 50, 0, 1, 350, 250, 8, 12};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Int32At(b, 8 + 4 * i), expected[i]) << "field " << i;
}

TEST(Settings, RoundTripKeepsEveryFieldIncludingNegativesAndReserved) {
  QTemporaryDir dir;
  const QString path = dir.filePath("x.par");
  SettingsRecord r = DefaultSettings();
  ASSERT_TRUE(SetPortName(r, "ttyUSB0"));
  r.PortIndex = 25;
  r.Reserved = -7;
  r.Language = 1;
  r.ShowAcceleration = 0;
  r.PreCutCm = -5;
  r.FinalCutCm = 0x12345678;
  r.PreFilterWindow = 0;
  r.FinalFilterWindow = 30;
  ASSERT_TRUE(SaveSettings(path, r));
  EXPECT_EQ(ReadAll(path).mid(16, 4), QByteArray("\x01\0\0\0", 4));
  SettingsRecord back{};
  ASSERT_TRUE(LoadSettings(path, back));
  EXPECT_EQ(EncodeSettings(back), EncodeSettings(r));
  EXPECT_EQ(PortNameText(back), "ttyUSB0");
}

TEST(Settings, DamagedFilesFillWhatTheyReachAndNoMore) {
  QTemporaryDir dir;
  const QString path = dir.filePath("d.par");
  SettingsRecord r{};

  // 16 bytes: port name, index and reserved; the rest keeps the defaults.
  QByteArray sixteen("COM12\0\0\0", 8);
  sixteen += QByteArray("\x0b\0\0\0\x09\0\0\0", 8);
  WriteAll(path, sixteen);
  ASSERT_TRUE(LoadSettings(path, r));
  EXPECT_EQ(PortNameText(r), "COM12");
  EXPECT_EQ(r.PortIndex, 11);
  EXPECT_EQ(r.Reserved, 9);
  EXPECT_EQ(r.Language, 0);
  EXPECT_EQ(r.PreCutCm, 350);
  EXPECT_EQ(r.FinalFilterWindow, 12);

  // 60 bytes: the record is the first 40, the excess is ignored.
  QByteArray sixty(60, '\x7f');
  sixty.replace(0, 8, QByteArray("COM3\0\0\0\0", 8));
  sixty.replace(16, 4, QByteArray("\x01\0\0\0", 4));
  WriteAll(path, sixty);
  ASSERT_TRUE(LoadSettings(path, r));
  EXPECT_EQ(PortNameText(r), "COM3");
  EXPECT_EQ(r.Language, 1);
  EXPECT_EQ(r.FinalFilterWindow, 0x7f7f7f7f);

  // A language that is neither Polish nor English reads as Polish; a port name without its
  // terminating NUL reads as the default port.
  QByteArray corrupt(reinterpret_cast<const char*>(EncodeSettings(DefaultSettings()).data()), 40);
  corrupt.replace(0, 8, "ABCDEFGH");
  corrupt.replace(16, 4, QByteArray("\x02\0\0\0", 4));
  WriteAll(path, corrupt);
  ASSERT_TRUE(LoadSettings(path, r));
  EXPECT_EQ(r.Language, 0);
  EXPECT_EQ(PortNameText(r), "COM5");

  // An empty file is all defaults.
  WriteAll(path, {});
  ASSERT_TRUE(LoadSettings(path, r));
  EXPECT_EQ(EncodeSettings(r), EncodeSettings(DefaultSettings()));
}

TEST(Settings, PortNamesLongerThanSevenCharactersAreRefused) {
  SettingsRecord r = DefaultSettings();
  EXPECT_TRUE(SetPortName(r, "pts/12"));
  EXPECT_FALSE(SetPortName(r, "ttyUSB10"));
  EXPECT_FALSE(SetPortName(r, ""));
  EXPECT_EQ(PortNameText(r), "pts/12");
  const SettingsBytes b = EncodeSettings(r);
  EXPECT_EQ(b[6], 0);
  EXPECT_EQ(b[7], 0);
}

TEST(Settings, PathBesideTheExecutableGetsTheParExtension) {
  EXPECT_EQ(SettingsPathBesideExecutable("/opt/tools/logger.exe"), "/opt/tools/logger.par");
  EXPECT_EQ(SettingsPathBesideExecutable("/opt/tools/hypsor"), "/opt/tools/hypsor.par");
  EXPECT_EQ(SettingsPathBesideExecutable("/opt/my.tools/hypsor"), "/opt/my.tools/hypsor.par");
}

TEST(Settings, WrittenBesideTheProgramOnlyWhereThatCanBeDoneElseInTheUsersFolder) {
  QTemporaryDir dir;
  const QString exeDir = dir.filePath("bin");
  const QString config = dir.filePath("config/hypsor");
  QDir().mkpath(exeDir);
  const QString exe = exeDir + "/hypsor";
  const QString beside = exeDir + "/hypsor.par";
  const QString user = config + "/hypsor.par";
  SettingsPaths p = ChooseSettingsPaths(exe, config);
  EXPECT_EQ(p.write, beside);
  EXPECT_EQ(p.read, beside);
  EXPECT_EQ(p.fallback, user);

  // A folder that cannot take a file (here: it does not exist, as root can write anywhere else).
  p = ChooseSettingsPaths(dir.filePath("gone/hypsor"), config);
  EXPECT_EQ(p.write, user);
  EXPECT_TRUE(QFileInfo(config).isDir()) << "the per-user folder is created";

  // An installed program never writes beside itself, even when root runs it.
  EXPECT_EQ(ChooseSettingsPaths("/usr/bin/hypsor", config).write, user);
  EXPECT_EQ(ChooseSettingsPaths("/usr/local/bin/hypsor", config).write, user);

  // Something there that is no file (a folder named hypsor.par): never written, reported on
  // reading when nothing else can be read, passed over when the user's file can be.
  QDir().mkpath(beside);
  p = ChooseSettingsPaths(exe, config);
  EXPECT_EQ(p.write, user);
  EXPECT_EQ(p.read, beside);
  SettingsRecord r = DefaultSettings();
  r.Language = 1;
  ASSERT_TRUE(SaveSettings(user, r));
  EXPECT_EQ(ChooseSettingsPaths(exe, config).read, user);
}

TEST(Settings, TheNewerOfTwoReadableFilesIsRead) {
  QTemporaryDir dir;
  const QString exe = dir.filePath("hypsor");
  const QString config = dir.filePath("config");
  const QString beside = dir.filePath("hypsor.par");
  const QString user = config + "/hypsor.par";
  QDir().mkpath(config);
  ASSERT_TRUE(SaveSettings(beside, DefaultSettings()));
  ASSERT_TRUE(SaveSettings(user, DefaultSettings()));
  auto age = [](const QString& path, int secondsAgo) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                              QFileDevice::FileModificationTime));
  };
  age(beside, 100);
  age(user, 10);
  EXPECT_EQ(ChooseSettingsPaths(exe, config).read, user);
  age(beside, 5);
  EXPECT_EQ(ChooseSettingsPaths(exe, config).read, beside);
  EXPECT_EQ(ChooseSettingsPaths(exe, config).write, beside);

  // A read-only file beside the program is read (it is the newer) and the user's file written.
  QFile::setPermissions(beside, QFileDevice::ReadOwner);
  if (QFileInfo(beside).isWritable()) GTEST_SKIP() << "root writes read-only files";
  const SettingsPaths p = ChooseSettingsPaths(exe, config);
  EXPECT_EQ(p.read, beside);
  EXPECT_EQ(p.write, user);
}

TEST(Settings, AFailedSaveLeavesTheOldFileWholeAndSaysWhy) {
  QTemporaryDir dir;
  const QString path = dir.filePath("keep.par");
  SettingsRecord r = DefaultSettings();
  r.Language = 1;
  ASSERT_TRUE(SaveSettings(path, r));
  const QByteArray before = ReadAll(path);

  // A folder where the file should be: nothing can replace it.
  const QString blocked = dir.filePath("blocked.par");
  QDir().mkpath(blocked);
  Failure error;
  EXPECT_FALSE(SaveSettings(blocked, r, &error));
  EXPECT_TRUE(English(error).contains("blocked.par")) << Said(error);

  // A missing folder fails too, and the good file elsewhere is untouched.
  EXPECT_FALSE(SaveSettings(dir.filePath("no/such/dir/x.par"), r, &error));
  EXPECT_EQ(ReadAll(path), before);
}
