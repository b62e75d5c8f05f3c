// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FlightReport.h"

#include <QFileInfo>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

#include "files/FileDigest.h"
#include "platform/Version.h"
#include "flight/Decode.h"
#include "session/FlightWorkspace.h"
#include "text/QualityText.h"
#include "text/Texts.h"
#include "ui/ChartExport.h"
#include "ui/PdfFile.h"

namespace hypsor {

namespace {

// The report's chart is laid out at this size and drawn at twice its pixels, so it stays sharp
// on paper.
constexpr QSize kReportChartSize(1200, 720);
constexpr int kReportChartScale = 2;

ReportFlight Describe(const FlightWorkspace& w, FlightSlot slot) {
  const Flight& f = slot == FlightSlot::Main ? w.MainFlight() : w.ComparisonFlight();
  ReportFlight r;
  r.file = w.FlightPath(slot).isEmpty() ? QString() : QFileInfo(w.FlightPath(slot)).fileName();
  r.sha256 = FlightSha256(w, slot);
  r.competitor = f.competitor;
  r.serial = f.serial;
  r.sampling = QString::fromUtf8(SamplingForCode(f.samplingCode).text).trimmed();
  r.calibration = f.CalibrationFactor;
  r.headerTemperature = f.temperature;
  r.usedTemperature = f.GroundTemperature;
  r.maximum = w.Panel(slot).maximum.trimmed();
  return r;
}

// Lays out lines of text from the top of the page down.
class PageWriter {
 public:
  PageWriter(QPainter& p, const QRectF& page) : p_(p), page_(page), y_(page.top()) {}

  void Font(double points, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    p_.setFont(f);
  }
  double LineHeight() const { return p_.fontMetrics().height() * 1.15; }
  void Line(const QString& text) {
    p_.drawText(QRectF(page_.left(), y_, page_.width(), LineHeight()),
                Qt::AlignLeft | Qt::AlignVCenter, text);
    y_ += LineHeight();
  }
  // A row of cells at the given fractions of the page width.
  void Row(const QStringList& cells, const std::vector<double>& at) {
    for (qsizetype k = 0; k < cells.size(); ++k) {
      const double x = page_.left() + page_.width() * at[static_cast<std::size_t>(k)];
      const double right = k + 1 < cells.size()
                               ? page_.left() + page_.width() * at[static_cast<std::size_t>(k + 1)]
                               : page_.right();
      p_.drawText(
          QRectF(x, y_, right - x - 8, LineHeight()), Qt::AlignLeft | Qt::AlignVCenter,
          p_.fontMetrics().elidedText(cells[k], Qt::ElideMiddle, static_cast<int>(right - x - 8)));
    }
    y_ += LineHeight();
  }
  // Text wrapped at the page's width.
  void Paragraph(const QString& text) {
    const QRectF room(page_.left(), y_, page_.width(), page_.bottom() - y_);
    const QRectF used = p_.boundingRect(room, Qt::AlignLeft | Qt::TextWordWrap, text);
    p_.drawText(room, Qt::AlignLeft | Qt::TextWordWrap, text);
    y_ += std::max(used.height(), LineHeight()) + LineHeight() * 0.15;
  }
  void Space(double lines) { y_ += LineHeight() * lines; }
  double Y() const { return y_; }
  void SetY(double y) { y_ = y; }

 private:
  QPainter& p_;
  QRectF page_;
  double y_;
};

}  // namespace

QString FlightSha256(const FlightWorkspace& w, FlightSlot slot) {
  const bool main = slot == FlightSlot::Main;
  if (main && !w.HasMainFlight()) return {};
  const QString& path = w.FlightPath(slot);
  if (!path.isEmpty()) {
    FileDigest digest;
    if (DigestFile(path, 0, 0, digest).status == ReadOpenStatus::Ok) return digest.sha256;
    return {};
  }
  if (!main) return {};
  const Flight& f = w.MainFlight();
  return Sha256Hex(QByteArray(reinterpret_cast<const char*>(f.bytes.data()),
                              std::clamp<qsizetype>(f.FlightByteCount, 0, RxBufferSize)));
}

ReportContent GatherReport(const FlightWorkspace& w, const QString& contest,
                           const QString& contestFolder) {
  ReportContent c;
  c.language = w.LanguageIndex();
  c.main = Describe(w, FlightSlot::Main);
  auto kept = [&](FlightSlot slot) {
    const QString& path = w.FlightPath(slot);
    if (contestFolder.isEmpty()) return slot == FlightSlot::Main;
    if (path.isEmpty()) return false;
    const QString folder = QFileInfo(contestFolder).canonicalFilePath();
    return !folder.isEmpty() && QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath() == folder;
  };
  if (kept(FlightSlot::Main)) c.main.contest = contest;
  c.contest = c.main.contest;
  if (w.ComparisonEnabled() && !w.Chart()[Curve::Comparison].empty()) {
    c.comparison = Describe(w, FlightSlot::Comparison);
    if (kept(FlightSlot::Comparison)) c.comparison->contest = contest;
    c.comparisonStatistics = w.Statistics(FlightSlot::Comparison);
  }
  c.statistics = w.Statistics(FlightSlot::Main);
  c.quality = w.Quality(FlightSlot::Main);
  c.timeLabelStep = w.MainFlight().TimeLabelStep;
  if (c.comparison) {
    c.comparisonQuality = w.Quality(FlightSlot::Comparison);
    c.comparisonTimeLabelStep = w.ComparisonFlight().TimeLabelStep;
  }
  if (w.HasSimulation()) {
    c.simulationFile = QFileInfo(w.SimulationPath()).fileName();
    c.simulation = w.CompareSimulation();
  }
  c.chart = ChartImage(WorkspacePrint(w, true, true), kReportChartSize, kReportChartScale);
  c.version = ProgramVersion();
  c.created = QDateTime::currentDateTime();
  return c;
}

std::vector<ReportLine> ReportDataLines(const ReportContent& c) {
  std::vector<ReportLine> lines;
  auto T = [&c](Txt id) { return Text(id, c.language); };
  const QChar point = QLocale().decimalPoint().at(0);
  struct Reported {
    const FlightQuality* quality;
    int step;
    QString name;
  };
  std::vector<Reported> flights = {{&c.quality, c.timeLabelStep, T(Txt::ReportMainFlight)}};
  if (c.comparisonQuality)
    flights.push_back(
        {&*c.comparisonQuality, c.comparisonTimeLabelStep, T(Txt::ReportComparisonFlight)});
  const bool named = flights.size() > 1;
  auto prefix = [named](const Reported& f) {
    return named ? f.name + QStringLiteral(": ") : QString();
  };

  // The apogee before and after the filter, and which one the data support.
  lines.push_back({true, T(Txt::ReportApogeeExplained)});
  for (const Reported& f : flights) {
    const ExplainedApogee& a = f.quality->apogee;
    if (!a.valid) continue;
    QString text = prefix(f) + T(Txt::StatRawApogee) + QStringLiteral(" ") +
                   ApogeeAtText(a.rawM, a.rawS, a.rawIndex, c.language, point);
    if (a.filtered)
      text += QStringLiteral("; ") + T(Txt::StatFilteredApogee) + QStringLiteral(" ") +
              ApogeeAtText(a.filteredM, a.filteredS, a.filteredIndex, c.language, point) +
              QStringLiteral("; ") + T(Txt::StatApogeeDifference) + QStringLiteral(" ") +
              FormatAltitude(a.differenceM, point);
    text += QStringLiteral("; ") + T(Txt::StatSupportedApogee) + QStringLiteral(" ") +
            ApogeeAtText(a.supportedM, a.supportedS, a.supportedIndex, c.language, point);
    lines.push_back({false, text});
    lines.push_back({false, ApogeeExplanation(*f.quality, c.language, point)});
  }

  lines.push_back({true, T(Txt::ReportQuality)});
  for (const Reported& f : flights) {
    const QStringList flags = QualityTexts(*f.quality, f.step, c.language, point);
    if (flags.isEmpty()) lines.push_back({false, prefix(f) + T(Txt::StatQualityNone)});
    for (const QString& flag : flags) lines.push_back({false, prefix(f) + flag});
  }

  if (!c.simulationFile.isEmpty()) {
    lines.push_back({true, T(Txt::StatSimulation) + QStringLiteral(": ") + c.simulationFile});
    if (!c.simulation) {
      lines.push_back({false, T(Txt::SimulationNoLaunch)});
    } else {
      const SimulationComparison& s = *c.simulation;
      lines.push_back({false, T(Txt::StatSimApogeeError) + QStringLiteral(": ") +
                                  FormatFixed(s.apogeeErrorM, 1, point) + QStringLiteral(" m, ") +
                                  FormatFixed(s.apogeeErrorPercent, 1, point) +
                                  QStringLiteral(" %; ") + T(Txt::StatSimTimeToApogeeError) +
                                  QStringLiteral(": ") + FormatFixed(s.timeToApogeeErrorS, 2, point) +
                                  QStringLiteral("; ") + T(Txt::StatSimRmsAscent) +
                                  QStringLiteral(": ") + FormatFixed(s.rmsAscentM, 2, point)});
    }
  }
  return lines;
}

void PaintReport(QPagedPaintDevice& device, const ReportContent& c) {
  QPainter p(&device);
  const int dpi = device.logicalDpiX();
  const QRectF page = device.pageLayout().paintRectPixels(dpi);
  const QRectF area(0, 0, page.width(), page.height());
  auto T = [&c](Txt id) { return Text(id, c.language); };
  const QChar point = QLocale().decimalPoint().at(0);
  PageWriter out(p, area);

  out.Font(16, true);
  out.Line(T(Txt::ReportTitle) +
           (c.contest.isEmpty() ? QString() : QStringLiteral(" — ") + c.contest));
  out.Space(0.3);

  // The flight (and the comparison) side by side.
  out.Font(9, true);
  const std::vector<double> cols = {0.0, 0.3, 0.65};
  QStringList head = {QString(), T(Txt::ReportMainFlight)};
  if (c.comparison) head << T(Txt::ReportComparisonFlight);
  out.Row(head, cols);
  out.Font(9, false);
  auto row = [&](Txt label, auto field) {
    QStringList cells = {T(label), field(c.main)};
    if (c.comparison) cells << field(*c.comparison);
    out.Row(cells, cols);
  };
  // Each flight's own contest: a comparison from elsewhere is no flight of it.
  if (!c.main.contest.isEmpty() || (c.comparison && !c.comparison->contest.isEmpty()))
    row(Txt::ReportContest, [](const ReportFlight& f) {
      return f.contest.isEmpty() ? QStringLiteral("–") : f.contest;
    });
  row(Txt::ReportFile, [&](const ReportFlight& f) {
    return f.file.isEmpty() ? T(Txt::ReportUnsavedDownload) : f.file;
  });
  row(Txt::ReportCompetitor, [](const ReportFlight& f) { return QString::number(f.competitor); });
  row(Txt::ReportSerial, [](const ReportFlight& f) { return QString::number(f.serial); });
  row(Txt::ReportSampling, [](const ReportFlight& f) { return f.sampling; });
  row(Txt::ReportCalibration, [](const ReportFlight& f) { return QString::number(f.calibration); });
  row(Txt::ReportHeaderTemperature,
      [](const ReportFlight& f) { return QString::number(f.headerTemperature); });
  row(Txt::ReportUsedTemperature,
      [&](const ReportFlight& f) { return FormatFixed(f.usedTemperature, 0, point); });
  row(Txt::ReportMaximum, [](const ReportFlight& f) { return f.maximum; });
  out.Space(0.5);

  // The statistics: two columns of label and value, or with a comparison one row a value,
  // the flight's beside the comparison's as in the table above.
  out.Font(11, true);
  out.Line(T(Txt::ReportStatistics));
  out.Font(9, false);
  const Txt labels[StatisticFieldCount] = {
      Txt::ReportApogee,   Txt::ReportLaunch,   Txt::ReportTimeToApogee, Txt::ReportLanding,
      Txt::ReportDuration, Txt::ReportMaxClimb, Txt::ReportMaxSink,      Txt::ReportMeanDescent};
  auto values = [point](const FlightStatistics& s) {
    QStringList list;
    for (const StatisticField& f : StatisticFields(s, point))
      list << (f.value.isEmpty() ? QStringLiteral("–") : f.value);
    return list;
  };
  const QStringList main = values(c.statistics);
  // After them the apogee the data support, read with the transients set aside.
  auto supported = [point](const FlightQuality& q) {
    return q.apogee.valid ? FormatAltitude(q.apogee.supportedM, point) : QStringLiteral("–");
  };
  if (c.comparisonStatistics) {
    const QStringList comparison = values(*c.comparisonStatistics);
    for (int k = 0; k < StatisticFieldCount; ++k)
      out.Row({T(labels[k]), main[k], comparison[k]}, cols);
    out.Row({T(Txt::ReportSupportedApogee), supported(c.quality),
             c.comparisonQuality ? supported(*c.comparisonQuality) : QStringLiteral("–")},
            cols);
  } else {
    const std::vector<double> statCols = {0.0, 0.3, 0.5, 0.8};
    for (int k = 0; k < StatisticFieldCount; k += 2)
      out.Row({T(labels[k]), main[k], T(labels[k + 1]), main[k + 1]}, statCols);
    out.Row({T(Txt::ReportSupportedApogee), supported(c.quality)}, statCols);
  }
  auto notLaunched = [](const std::optional<FlightStatistics>& s) {
    return s && s->enoughSamples && !s->launched;
  };
  if (notLaunched(c.statistics)) out.Line(T(Txt::ReportNotLaunched));
  if (notLaunched(c.comparisonStatistics))
    out.Line(T(Txt::ReportComparisonFlight) + QStringLiteral(": ") + T(Txt::ReportNotLaunched));
  out.Space(0.3);

  for (const ReportLine& line : ReportDataLines(c)) {
    out.Font(line.heading ? 10 : 9, line.heading);
    out.Paragraph(line.text);
  }
  out.Space(0.5);

  // The chart as drawn, as wide as the page, leaving room for the footer.
  out.Font(8, false);
  const double footer = out.LineHeight() * 4;
  if (!c.chart.isNull()) {
    const double room = area.bottom() - footer - out.Y();
    QSizeF size = QSizeF(c.chart.size()).scaled(QSizeF(area.width(), room), Qt::KeepAspectRatio);
    const QRectF target(area.left(), out.Y(), size.width(), size.height());
    p.drawImage(target, c.chart);
    out.SetY(target.bottom() + out.LineHeight() * 0.5);
  }

  out.SetY(area.bottom() - footer);
  out.Font(7, false);
  out.Line(T(Txt::StatisticsSha256) + QStringLiteral(" (") + T(Txt::ReportMainFlight) +
           QStringLiteral("): ") + c.main.sha256);
  if (c.comparison)
    out.Line(T(Txt::StatisticsSha256) + QStringLiteral(" (") + T(Txt::ReportComparisonFlight) +
             QStringLiteral("): ") + c.comparison->sha256);
  out.Line(T(Txt::ReportVersion).arg(c.version) + QStringLiteral(" · ") +
           T(Txt::ReportCreated).arg(c.created.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
}

bool WriteReportPdf(const ReportContent& content, const QString& path, Failure* error) {
  return WriteA4Pdf(
      path, Text(Txt::ReportTitle, content.language), QStringLiteral("Hypsor %1").arg(content.version),
      [&content](QPdfWriter& writer) { PaintReport(writer, content); }, error);
}

std::optional<ReportContent> FileReport(const QString& mainPath, const QString& comparisonPath,
                                        const QString& contest, int language, Failure* error) {
  FlightWorkspace w;
  w.SetLanguage(language);
  if (!w.OpenMainFlight(mainPath, error)) return std::nullopt;
  if (!comparisonPath.isEmpty() && !w.OpenComparison(comparisonPath, error)) return std::nullopt;
  return GatherReport(w, contest);
}

bool WriteFileReport(const QString& mainPath, const QString& comparisonPath, const QString& contest,
                     int language, const QString& pdfPath, Failure* error) {
  const std::optional<ReportContent> report =
      FileReport(mainPath, comparisonPath, contest, language, error);
  return report && WriteReportPdf(*report, pdfPath, error);
}

}  // namespace hypsor
