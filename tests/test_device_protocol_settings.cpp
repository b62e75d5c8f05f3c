// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and uploading the altimeter's settings against a scripted altimeter on virtual time:
// values decoded, limits checked before anything is sent, refusals, silence and a device that
// goes away or never stops talking.
#include <gtest/gtest.h>

#include "device/DeviceChannel.h"
#include "device/ParameterExchange.h"
#include "text/SessionMessages.h"
#include "device/Sessions.h"
#include "tests/support/ScriptedDevice.h"
#include "tests/support/TestFlights.h"

namespace hypsor {
namespace {

using test::Bytes;
using test::ScriptedDevice;

SettingsUpload Values(const char* calibration, const char* trigger, const char* competitor,
                      int sampling = 2, int zeroing = 0) {
  SettingsUpload u;
  u.calibration = QString::fromLatin1(calibration);
  u.trigger = QString::fromLatin1(trigger);
  u.competitor = QString::fromLatin1(competitor);
  u.samplingIndex = sampling;
  u.zeroingIndex = zeroing;
  return u;
}

TEST(ScriptedSettingsRead, WholeAndByteByByteRepliesDecodeTheSame) {
  for (int chunked : {0, 1}) {
    SCOPED_TRACE(chunked);
    ScriptedDevice d;
    d.altimeter.report = {200, 0x31, 0xD4, 33, 0, 0x01, 0x02, 0x13};
    d.altimeter.manualZero = 3;
    if (chunked) {
      // Every byte on its own, 60 ms apart: each settle step still sees the reply growing.
      d.line.SetResponder([&d](const ScriptedLine::Frame& f) {
        const ScriptedReply whole = d.altimeter(f);
        ScriptedReply r;
        int t = 0;
        for (const ScriptedReply::Piece& p : whole.pieces)
          for (char c : p.bytes) r.Then(t += 60, QByteArray(1, c));
        return r;
      });
    }
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const SettingsReadResult r = ReadDeviceSettings(d.channel);
    ASSERT_EQ(r.outcome, SettingsReadOutcome::Ok);
    EXPECT_EQ(r.settings.competitor, 200u);
    EXPECT_EQ(r.settings.serial, 54321u);
    EXPECT_EQ(r.settings.calibration, 33u);
    EXPECT_EQ(r.settings.trigger, 513u);
    EXPECT_EQ(r.settings.samplingCode, 3u);
    EXPECT_EQ(r.settings.manualZeroing, 1);
    EXPECT_EQ(d.channel.ManualZeroingMode(), 1);
    EXPECT_FALSE(MessageFor(r).show);
    // The window keeps the port open after reading.
    EXPECT_TRUE(d.channel.IsOpen());
    EXPECT_EQ(d.Frames(), (QList<QByteArray>{Bytes({'e', '4', 0, 0, 0, 0, 0, 0}),
                                             Bytes({'e', 'B', 0, 0, 0, 0, 0, 0})}));
  }
}

TEST(ScriptedSettingsRead, ShortSilentEndlessAndVanishingDevices) {
  {
    ScriptedDevice d;
    d.altimeter.shortReplies = true;
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const SettingsReadResult r = ReadDeviceSettings(d.channel);
    EXPECT_EQ(r.outcome, SettingsReadOutcome::CommunicationError);
    EXPECT_FALSE(r.reportRead);
    EXPECT_TRUE(d.channel.IsOpen());
    EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Communication Error"));
  }
  {
    // The report comes, the zeroing-mode query goes unanswered.
    ScriptedDevice d;
    d.line.QueueReply(d.altimeter({'e', '4', 0, 0, 0, 0, 0, 0}));
    d.altimeter.silent = true;
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const SettingsReadResult r = ReadDeviceSettings(d.channel);
    EXPECT_EQ(r.outcome, SettingsReadOutcome::CommunicationError);
    EXPECT_TRUE(r.reportRead);
    EXPECT_EQ(r.settings.competitor, 7u);
  }
  {
    // Ten bytes a second never fill the buffer; the time bound ends the wait.
    ScriptedDevice d;
    ScriptedReply slow;
    for (int t = 0; t < 10000; t += 100) slow.Then(t, QByteArray(1, '\x42'));
    d.line.QueueReply(slow);
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const SettingsReadResult r = ReadDeviceSettings(d.channel);
    EXPECT_EQ(r.outcome, SettingsReadOutcome::CommunicationError);
    EXPECT_EQ(d.channel.Fault(), FailureKind::EndlessReply);
    EXPECT_FALSE(d.channel.IsOpen());
    EXPECT_GE(d.clock.NowMs(), SettleLimitMs);
    EXPECT_LE(d.clock.NowMs(), SettleLimitMs + SettleStepMs);
  }
  {
    ScriptedDevice d;
    d.line.QueueReply(ScriptedReply().HangUp(100));
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    EXPECT_EQ(ReadDeviceSettings(d.channel).outcome, SettingsReadOutcome::CommunicationError);
    EXPECT_EQ(d.channel.Fault(), FailureKind::DeviceGone);
    EXPECT_FALSE(d.channel.IsOpen());
  }
  {
    // Gone between two reads: the port kept open after the first is closed by the second.
    ScriptedDevice d;
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    ASSERT_EQ(ReadDeviceSettings(d.channel).outcome, SettingsReadOutcome::Ok);
    ASSERT_TRUE(d.channel.IsOpen());
    d.line.QueueReply(ScriptedReply().HangUp(0));
    EXPECT_EQ(ReadDeviceSettings(d.channel).outcome, SettingsReadOutcome::CommunicationError);
    EXPECT_EQ(d.channel.Fault(), FailureKind::DeviceGone);
    EXPECT_FALSE(d.channel.IsOpen());
  }
}

TEST(ScriptedSettingsExchanges, RepliesThatNeverEndAreGivenUpWithThePortClosed) {
  // A reply that keeps coming is given up after a bound with the port closed, in the upload and
  // the zeroing as in the read.
  auto endless = [] {
    ScriptedReply r;
    for (int t = 0; t < 10000; t += 100) r.Then(t, QByteArray(4, '\x55'));
    return r;
  };
  {
    ScriptedDevice d;
    d.line.QueueReply(endless());
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    EXPECT_EQ(UploadDeviceSettings(d.channel, Values("1", "2", "3")).outcome,
              UploadOutcome::CommunicationError);
    EXPECT_EQ(d.channel.Fault(), FailureKind::EndlessReply);
    EXPECT_FALSE(d.channel.IsOpen());
    EXPECT_LE(d.clock.NowMs(), SettleLimitMs + SettleStepMs);
  }
  {
    ScriptedDevice d;
    d.line.QueueReply(endless());
    EXPECT_EQ(RunZeroing(d.channel, QStringLiteral("ttyUSB0")).outcome,
              ZeroingOutcome::CommunicationError);
    EXPECT_FALSE(d.channel.IsOpen());
  }
}

TEST(ScriptedSettingsUpload, LimitsAreCheckedUnsignedAndNothingIsSentBeyondThem) {
  struct Case {
    const char* calibration;
    const char* trigger;
    const char* competitor;
    UploadOutcome outcome;
    SettingsField field;
  };
  const Case cases[] = {
      {"50", "200", "255", UploadOutcome::Accepted, SettingsField::None},
      {"51", "200", "255", UploadOutcome::TooLarge, SettingsField::Calibration},
      {"50", "201", "255", UploadOutcome::TooLarge, SettingsField::Trigger},
      {"50", "200", "256", UploadOutcome::TooLarge, SettingsField::Competitor},
      {"-1", "0", "0", UploadOutcome::TooLarge, SettingsField::Calibration},
      {"0", "-1", "0", UploadOutcome::TooLarge, SettingsField::Trigger},
      {"x1", "0", "0", UploadOutcome::NotANumber, SettingsField::Calibration},
      // Empty fields are looked for in the order trigger, calibration, competitor.
      {"", "", "", UploadOutcome::FieldEmpty, SettingsField::Trigger},
      {"", "1", "", UploadOutcome::FieldEmpty, SettingsField::Calibration},
      {"1", "1", "", UploadOutcome::FieldEmpty, SettingsField::Competitor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.calibration) + "/" + c.trigger + "/" + c.competitor);
    ScriptedDevice d;
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const UploadResult r =
        UploadDeviceSettings(d.channel, Values(c.calibration, c.trigger, c.competitor, 6, 1));
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.field, c.field);
    EXPECT_FALSE(r.settingsWriteRefused);
    if (c.outcome == UploadOutcome::Accepted) {
      EXPECT_EQ(d.Frames(), (QList<QByteArray>{Bytes({'e', '5', 0xFF, 50, 0, 200, 0, 6}),
                                               Bytes({'e', 'C', 1, 50, 0, 200, 0, 6})}));
      EXPECT_FALSE(d.channel.IsOpen());
      EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Setup OK"));
    } else {
      EXPECT_TRUE(d.Frames().isEmpty());
      EXPECT_TRUE(d.channel.IsOpen());
    }
  }
}

TEST(ScriptedSettingsUpload, LimitsCompareUnsigned) {
  EXPECT_TRUE(AboveLimit(-1, 255));
  EXPECT_FALSE(AboveLimit(255, 255));
  EXPECT_TRUE(AboveLimit(256, 255));
}

TEST(ScriptedSettingsUpload, RefusalsSilenceAndHangUpsAreTold) {
  {
    ScriptedDevice d;
    d.altimeter.refuseWrites = true;
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const UploadResult r = UploadDeviceSettings(d.channel, Values("10", "100", "12"));
    EXPECT_EQ(r.outcome, UploadOutcome::Refused);
    // The settings write was refused, and the zeroing-mode write still went out.
    EXPECT_TRUE(r.settingsWriteRefused);
    EXPECT_EQ(d.Frames().size(), 2);
    EXPECT_FALSE(d.channel.IsOpen());
    EXPECT_EQ(MessageFor(r).Text(1), QStringLiteral("Setup failed"));
    EXPECT_EQ(MessageFor(r).Caption(1), QStringLiteral("Setup"));
    EXPECT_EQ(MessageFor(r).Text(0), QStringLiteral("Błąd zapisu"));
    // Without an open port nothing happens.
    EXPECT_EQ(UploadDeviceSettings(d.channel, Values("10", "100", "12")).outcome,
              UploadOutcome::PortClosed);
    EXPECT_EQ(d.Frames().size(), 2);
  }
  {
    // Only the settings write refused: an acknowledged zeroing-mode write does not undo it.
    ScriptedDevice d;
    d.line.QueueReply(ScriptedReply::Whole(Bytes({'5', 0x5A}), 6));
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const UploadResult r = UploadDeviceSettings(d.channel, Values("10", "100", "12"));
    EXPECT_EQ(r.outcome, UploadOutcome::Refused);
    EXPECT_TRUE(r.settingsWriteRefused);
  }
  {
    // Silence to the zeroing-mode write.
    ScriptedDevice d;
    d.line.QueueReply(ScriptedReply::Whole(Bytes({'5', 0xA5}), 6));
    d.line.QueueReply(ScriptedReply::Silence());
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    const UploadResult r = UploadDeviceSettings(d.channel, Values("10", "100", "12"));
    EXPECT_EQ(r.outcome, UploadOutcome::Refused);
    EXPECT_FALSE(r.settingsWriteRefused);
  }
  {
    ScriptedDevice d;
    d.line.QueueReply(ScriptedReply().HangUp(3));
    ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
    RawSettings raw;
    raw.settings = {7, 20, 0, 100, 0, 2};
    const UploadResult r = UploadRawSettings(d.channel, raw);
    EXPECT_EQ(r.outcome, UploadOutcome::CommunicationError);
    EXPECT_FALSE(d.channel.IsOpen());
    EXPECT_EQ(d.Frames().size(), 1);
  }
}

TEST(ScriptedSettingsUpload, WhatWasReadIsWrittenBackByteForByteAndCarriedIntoLaterFrames) {
  ScriptedDevice d;
  d.altimeter.report = {9, 1, 2, 45, 0, 0x2C, 0x01, 0xF5};
  d.altimeter.manualZero = 1;
  ASSERT_TRUE(d.channel.OpenPort(QStringLiteral("ttyUSB0")));
  const SettingsReadResult read = ReadDeviceSettings(d.channel);
  ASSERT_EQ(read.outcome, SettingsReadOutcome::Ok);
  EXPECT_EQ(UploadRawSettings(d.channel, RawSettingsOf(read.settings)).outcome,
            UploadOutcome::Accepted);
  EXPECT_EQ(RunZeroing(d.channel, QStringLiteral("ttyUSB0")).outcome, ZeroingOutcome::Ok);
  d.altimeter.flight = test::Samples(10);
  EXPECT_EQ(RunDownload(d.channel, QStringLiteral("ttyUSB0")).outcome, DownloadOutcome::Ok);
  // Every later frame carries what the last one left in bytes 2-7: the download's too.
  const QList<QByteArray> frames = d.Frames();
  const QList<QByteArray> expected = {
      Bytes({'e', '5', 9, 45, 0, 0x2C, 0x01, 0xF5}),     Bytes({'e', 'C', 1, 45, 0, 0x2C, 0x01, 0xF5}),
      Bytes({'e', '2', '2', '3', 0, 0x2C, 0x01, 0xF5}),  Bytes({'e', '4', '2', '3', 0, 0x2C, 0x01, 0xF5}),
      Bytes({'e', 'D', '2', '3', 0, 0x2C, 0x01, 0xF5}),  Bytes({'e', '1', '2', '3', 0, 0x2C, 0x01, 0xF5})};
  ASSERT_EQ(frames.size(), 2 + expected.size());
  for (int i = 0; i < expected.size(); ++i)
    EXPECT_EQ(frames[2 + i].toHex(' '), expected[i].toHex(' ')) << "frame " << 2 + i;

  // An upload stopped at a bad value sends nothing, but the values checked before it stay in
  // the frame for later commands.
  ScriptedDevice stopped;
  ASSERT_TRUE(stopped.channel.OpenPort(QStringLiteral("ttyUSB0")));
  EXPECT_EQ(UploadDeviceSettings(stopped.channel, Values("50", "200", "256")).outcome,
            UploadOutcome::TooLarge);
  EXPECT_TRUE(stopped.Frames().isEmpty());
  EXPECT_EQ(RunZeroing(stopped.channel, QStringLiteral("ttyUSB0")).outcome, ZeroingOutcome::Ok);
  EXPECT_EQ(stopped.Frames(), QList<QByteArray>{Bytes({'e', '2', '2', '3', 0, 200, 0, 0})});
}

}  // namespace
}  // namespace hypsor
