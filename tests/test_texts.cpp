// SPDX-License-Identifier: GPL-3.0-or-later
// Texts with numbers take the number's form in each language; what the file and contest layers
// report as failures reads in either language.
#include <gtest/gtest.h>

#include <cerrno>

#include "text/FailureText.h"
#include "text/Texts.h"

namespace hypsor {
namespace {

TEST(Texts, CountsTakeTheFormOfTheirNumber) {
  const std::pair<qint64, const char*> polish[] = {
      {0, "0 bajtów"},     {1, "1 bajt"},       {2, "2 bajty"},      {4, "4 bajty"},
      {5, "5 bajtów"},     {11, "11 bajtów"},   {12, "12 bajtów"},   {14, "14 bajtów"},
      {22, "22 bajty"},    {25, "25 bajtów"},   {112, "112 bajtów"}, {832, "832 bajty"},
      {1804, "1804 bajty"}, {1805, "1805 bajtów"}};
  for (const auto& [n, text] : polish)
    EXPECT_EQ(CountText(Txt::ByteCount, n, 0), QString::fromUtf8(text)) << n;
  EXPECT_EQ(CountText(Txt::ByteCount, 1, 1), "1 byte");
  EXPECT_EQ(CountText(Txt::ByteCount, 0, 1), "0 bytes");
  EXPECT_EQ(CountText(Txt::ByteCount, 832, 1), "832 bytes");
}

TEST(Texts, FailuresReadInEitherLanguage) {
  Failure tooShort = Failure::Of(FailureKind::FlightTooShort, "/a/C1.hyp");
  tooShort.number = 22;
  EXPECT_EQ(FailureText(tooShort, 0), QString::fromUtf8("Plik /a/C1.hyp jest za krótki na lot (22 bajty)"));
  EXPECT_EQ(FailureText(tooShort, 1), "File /a/C1.hyp is too short for a flight (22 bytes)");

  const Failure taken = Failure::Of(FailureKind::NameTaken, "/x/C1.hyp");
  EXPECT_EQ(FailureText(taken, 0),
            QString::fromUtf8("Nie można utworzyć pliku /x/C1.hyp: ta nazwa jest już zajęta"));
  EXPECT_EQ(FailureText(taken, 1), "Cannot create file /x/C1.hyp: the name is taken");

  const Failure refused =
      Failure::Of(FailureKind::WriteFile, "/dev/tty0", FailureReason::NotRegularLeftAlone);
  EXPECT_EQ(FailureText(refused, 1),
            "Cannot write file /dev/tty0: it is not a regular file (left as it is)");
  EXPECT_EQ(FailureText(refused, 0),
            QString::fromUtf8("Nie można zapisać pliku /dev/tty0: to nie jest zwykły plik "
                              "(pozostawiony bez zmian)"));

  // The system's reason: a common one in Polish words, any other as the system gave it; English
  // always as given.
  const Failure denied = Failure::System(FailureKind::OpenFile, "/r/a.hyp", "Permission denied", EACCES);
  EXPECT_EQ(FailureText(denied, 0), QString::fromUtf8("Nie można otworzyć pliku /r/a.hyp: brak uprawnień"));
  EXPECT_EQ(FailureText(denied, 1), "Cannot open file /r/a.hyp: Permission denied");
  const Failure odd = Failure::System(FailureKind::ReadFile, "/r/a.hyp", "Input/output error", EIO);
  EXPECT_EQ(FailureText(odd, 0), QString::fromUtf8("Nie można odczytać pliku /r/a.hyp: Input/output error"));
  // No reason given: the sentence ends at the name.
  EXPECT_EQ(FailureText(Failure::Of(FailureKind::CreateFolder, "/x/y"), 0),
            QString::fromUtf8("Nie można utworzyć folderu /x/y"));

  // Placeholders in a name or a host are text, not places for the next value.
  Failure locked = Failure::Of(FailureKind::FolderLocked, "/c/contest.lock");
  locked.detail = "st%2ion";
  locked.number = 4242;
  EXPECT_EQ(FailureText(locked, 1),
            "The contest folder is locked by another station (st%2ion, process 4242)");
  locked.detail.clear();
  EXPECT_EQ(FailureText(locked, 0),
            QString::fromUtf8("Folder zawodów jest zablokowany przez inne stanowisko (?, proces 4242)"));

  // A flight kept but not entered in the log: where it is, then why.
  Failure unrecorded = Failure::System(FailureKind::WriteFile, "/c/contest.log", "No space left on device", ENOSPC);
  unrecorded.keptAs = "/c/C1%1.hyp";
  EXPECT_EQ(FailureText(unrecorded, 1),
            "Flight kept as /c/C1%1.hyp, but not recorded: Cannot write file /c/contest.log: "
            "No space left on device");
  EXPECT_TRUE(FailureText(unrecorded, 0).endsWith(
      QString::fromUtf8("Nie można zapisać pliku /c/contest.log: brak miejsca na dysku")));

  EXPECT_EQ(FailureText(Failure::Of(FailureKind::NoContestSession, {}), 0),
            QString::fromUtf8("Sesja zawodów nie jest rozpoczęta"));
  EXPECT_EQ(FailureText(Failure::Of(FailureKind::NoData, "/x.csv"), 1), Text(Txt::NoData, 1));
  EXPECT_TRUE(FailureText(Failure{}, 1).isEmpty());
}

}  // namespace
}  // namespace hypsor
