// SPDX-License-Identifier: GPL-3.0-or-later
// Texts with numbers take the number's form in each language; messages the file and contest
// layers compose in English read in Polish in the Polish window.
#include <gtest/gtest.h>

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

TEST(Texts, EnglishMessagesOfTheFileAndContestLayersReadInPolish) {
  EXPECT_EQ(LocalizedFileMessage("File /a/C1.hyp is too short for a flight (22 bytes)", 0),
            QString::fromUtf8("Plik /a/C1.hyp jest za krótki na lot (22 bajty)"));
  EXPECT_EQ(LocalizedFileMessage("Cannot create folder /x/y", 0),
            QString::fromUtf8("Nie można utworzyć folderu /x/y"));
  EXPECT_EQ(LocalizedFileMessage("Cannot create file /x/C1.hyp: the name is taken", 0),
            QString::fromUtf8("Nie można utworzyć pliku /x/C1.hyp: ta nazwa jest już zajęta"));
  EXPECT_EQ(LocalizedFileMessage("No contest session is on", 0),
            QString::fromUtf8("Sesja zawodów nie jest rozpoczęta"));
  // English stays as it came.
  EXPECT_EQ(LocalizedFileMessage("Cannot create folder /x/y", 1), "Cannot create folder /x/y");
}

}  // namespace
}  // namespace hypsor
