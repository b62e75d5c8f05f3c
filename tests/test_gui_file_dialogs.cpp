// SPDX-License-Identifier: GPL-3.0-or-later
// The window's file dialogs offer the files of their kind first and every file last, in the
// language in use, and suggest a name from the flight: driven through the real buttons and menus.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "contest/ContestNames.h"
#include "tests/support/ScriptedWindowFixture.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace hypsor {
namespace {

using Request = FileDialogService::FileRequest;

QStringList Filters(const char* own, bool polish) {
  return {QString::fromUtf8(own), polish ? QStringLiteral("Wszystkie pliki (*)")
                                         : QStringLiteral("All files (*)")};
}

TEST(FileDialogs, EachKindIsOfferedFirstAndAnyFileLastWithANameFromTheFlight) {
  test::ScriptedWindowFixture f;
  const QString sample = test::ExamplePath(QStringLiteral("sample-flight.hyp"));
  const QString examples = QFileInfo(sample).absolutePath();
  for (bool polish : {true, false}) {
    f.Trigger(polish ? "polishAction" : "englishAction");
    const std::string language = polish ? "Polish" : "English";
    const QStringList flights =
        polish ? Filters("Pliki lotów Hypsor (*.hyp)", true)
               : Filters("Hypsor flight files (*.hyp)", false);

    // Open and compare: flight files, starting beside the flight shown.
    f.dialogs.openRequests.clear();
    f.Open(sample);
    f.Compare(test::ExamplePath(QStringLiteral("flight-1hz.hyp")));
    ASSERT_EQ(f.dialogs.openRequests.size(), 2);
    for (const Request& r : f.dialogs.openRequests) EXPECT_EQ(r.filters, flights) << language;
    EXPECT_EQ(f.dialogs.openRequests[1].suggestedPath, examples) << language;
    f.Trigger("openSimulationAction");
    EXPECT_EQ(f.dialogs.openRequests.last().filters,
              polish ? Filters("Pliki CSV (*.csv)", true) : Filters("CSV files (*.csv)", false));
    EXPECT_EQ(f.dialogs.openRequests.last().suggestedPath, examples);

    // The data and the chart: their own kinds, every file last.
    f.dialogs.exportRequests.clear();
    f.Trigger("exportDataAction");
    f.Trigger("exportChartAction");
    ASSERT_EQ(f.dialogs.exportRequests.size(), 2);
    EXPECT_EQ(f.dialogs.exportRequests[0].filters,
              polish ? Filters("Pliki CSV (*.csv)", true) : Filters("CSV files (*.csv)", false));
    EXPECT_EQ(QFileInfo(f.dialogs.exportRequests[0].suggestedPath).fileName(),
              "sample-flight.csv");
    EXPECT_EQ(f.dialogs.exportRequests[1].filters.first(), "PNG (*.png)");
    EXPECT_EQ(f.dialogs.exportRequests[1].filters.last(), flights.last());

    // The flight report: a PDF named after the flight.
    f.dialogs.saveRequests.clear();
    f.Trigger("flightReportAction");
    ASSERT_EQ(f.dialogs.saveRequests.size(), 1);
    EXPECT_EQ(f.dialogs.saveRequests[0].filters,
              polish ? Filters("Dokumenty PDF (*.pdf)", true)
                     : Filters("PDF documents (*.pdf)", false));
    EXPECT_EQ(QFileInfo(f.dialogs.saveRequests[0].suggestedPath).fileName(), "sample-flight.pdf");

    // A download: saved as a flight file named after its competitor, serial and time, and the
    // exchange's log as text.
    f.altimeter.flight = test::ReadFile(sample);
    f.Click("readButton");
    ASSERT_TRUE(f.Workspace().HasDownload());
    f.dialogs.saveRequests.clear();
    f.Click("saveButton");
    f.Trigger("saveCommunicationLogAction");
    ASSERT_EQ(f.dialogs.saveRequests.size(), 2) << language;
    const Request& save = f.dialogs.saveRequests[0];
    EXPECT_EQ(save.filters, flights);
    const QString name = QFileInfo(save.suggestedPath).fileName();
    const std::optional<NamedNumbers> numbers = ContestFileNumbers(name);
    ASSERT_TRUE(numbers) << name.toStdString();
    EXPECT_EQ(numbers->competitor, f.Workspace().MainFlight().competitor);
    EXPECT_EQ(numbers->serial, f.Workspace().MainFlight().serial);
    const std::optional<QDateTime> when = ContestFileTime(name);
    ASSERT_TRUE(when);
    EXPECT_LE(std::abs(when->secsTo(QDateTime::currentDateTime())), 60);
    const Request& log = f.dialogs.saveRequests[1];
    EXPECT_EQ(log.filters, polish ? Filters("Pliki tekstowe (*.txt *.log)", true)
                                  : Filters("Text files (*.txt *.log)", false));
    EXPECT_TRUE(log.suggestedPath.startsWith("hypsor-log-") && log.suggestedPath.endsWith(".txt"))
        << log.suggestedPath.toStdString();
  }
}

}  // namespace
}  // namespace hypsor
