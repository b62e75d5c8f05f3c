// The main window's flight actions: opening and saving flight files, the comparison flight,
// temperature entries, the acceleration switch and the chart clicks.
#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>

#include "files/FlightFile.h"
#include "files/IntegerText.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "ui/FlightChart.h"
#include "ui/Hypsor_1.h"

namespace hypsor {
namespace {

// Marks a text that is not a whole number, as the temperature entry expects.
constexpr int kNotANumber = 65535;

int TemperatureValue(const QString& text) {
  return ParseIntegerText(text).value_or(kNotANumber);
}

}  // namespace

QString THypsor::FormatMetres(float metres) const {
  return FormatAltitude(metres, QLocale().decimalPoint().at(0));
}

void THypsor::PrepareLeftAxis() {
  Chart1->SetAxisMinimum(0);
  Chart1->SetAxisAutomatic(false);
  Chart1->SetAxisAutomaticMaximum(false);
  Chart1->SetAxisAutomaticMinimum(true);
}

void THypsor::DecodeMainFlight() {
  const DecodedFlight d =
      DecodeFlight(MainFlight, MainFlight.SampleCount, {true, Settings.ShowAcceleration != 0});
  AltitudeTable = d.AltitudeTable;
  AltitudeCount = d.tableCount;
  QStringList labels;
  labels.reserve(static_cast<qsizetype>(d.labelSeconds.size()));
  for (int s : d.labelSeconds) labels.append(s >= 0 ? QString::number(s) : QString());
  Chart1->SetAxisMinimum(0);
  Chart1->SetAxisMaximum(d.axisMaximum);
  Chart1->SetTimeLabels(labels);
  Chart1->SetPoints(Chart1->Series1, d.altitude);
  if (Settings.ShowAcceleration != 0) Chart1->SetPoints(Chart1->Series2, d.acceleration);
  if (d.MaxAltitude) E_MaxGl->setText(FormatMetres(*d.MaxAltitude));
  if (d.MinAltitude) EMinimum->setText(FormatMetres(*d.MinAltitude));
}

void THypsor::DecodeComparison() {
  Chart1->ClearSeries(Chart1->Series3);
  Chart1->SetAxisAutomatic(false);
  Chart1->SetAxisAutomaticMaximum(false);
  Chart1->SetAxisAutomaticMinimum(true);
  const DecodedFlight d = DecodeFlight(ComparisonFlight, ComparisonSampleCount, {false, false});
  ComparisonTable = d.AltitudeTable;
  ComparisonCount = d.tableCount;
  Chart1->SetPoints(Chart1->Series3, d.altitude);
  // The comparison only ever raises the left axis.
  if (d.MaxAltitude && d.axisMaximum > Chart1->AxisMaximum()) Chart1->SetAxisMaximum(d.axisMaximum);
  if (d.MaxAltitude) E_Max_Por->setText(FormatMetres(*d.MaxAltitude));
  if (d.MinAltitude) E_Min_Por->setText(FormatMetres(*d.MinAltitude));
}

void THypsor::ShowMainFlight(const Flight& flight) {
  MainFlight = flight;
  hasMainFlight_ = true;
  E_NrZawodnika->setText(QString::number(flight.competitor));
  E_NrSeryjny->setText(QString::number(flight.serial));
  E_TempGl->setText(QString::number(flight.temperature));
  E_TempGl->setReadOnly(false);
  E_probkGl->setText(QString::fromLatin1(SamplingForCode(flight.samplingCode).text));
  E_probkGl->setCursorPosition(0);  // the rate's number leads; show it in a narrow field
  DecodeMainFlight();
}

// ---------------------------------------------------------------- flight files

void THypsor::BZapisz_PomiarClick() {
  if (DownloadByteCount == 0) {
    ShowError(T(Txt::NoData));
    return;
  }
  const QString path = platform_.dialogs.SaveFileName();
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) && platform_.boxes.Show(T(Txt::FileExists), T(Txt::FileExistsCaption),
                                                      BoxButtons::OkCancel) != BoxResult::Ok)
    return;
  // Always the bytes of the last download, never those of a file opened since.
  const auto count = static_cast<std::size_t>(DownloadByteCount);
  QString error;
  if (!SaveFlightFile(path, std::span(DownloadedFlight.bytes.data(), count), &error))
    ShowError(error);
}

QString THypsor::AskAndLoadFlight(Flight& into) {
  const QString path = platform_.dialogs.OpenFileName();
  if (path.isEmpty()) return {};
  const FlightFileResult r = LoadFlightFile(path, into);
  if (r.status == FlightFileStatus::Ok) return path;
  ShowError(r.status == FlightFileStatus::TooShort ? T(Txt::FileTooShort) : r.error);
  return {};
}

void THypsor::BLaduj_pomiarClick() {
  Flight loaded;
  const QString path = AskAndLoadFlight(loaded);
  if (path.isEmpty()) return;

  GroupB_Hypsor->setTitle(FlightFileCaption(path));
  Chart1->UndoZoom();
  for (QLineSeries* s : {Chart1->Series1, Chart1->Series2, Chart1->Series4, Chart1->Series5})
    Chart1->ClearSeries(s);
  Chart1->SetAxisAutomatic(false);
  Chart1->SetAxisAutomaticMaximum(false);
  Chart1->SetAxisAutomaticMinimum(true);
  Chart1->SetAxisIncrement(0);
  ShowMainFlight(loaded);
}

void THypsor::B_PorownanieClick() {
  Flight loaded;
  const QString path = AskAndLoadFlight(loaded);
  if (path.isEmpty()) return;

  GroupB_Por->setTitle(FlightFileCaption(path));
  Porownanie1->setChecked(true);
  ComparisonFlight = loaded;
  E_Zaw_Por->setText(QString::number(loaded.competitor));
  E_NrS_Por->setText(QString::number(loaded.serial));
  E_TempPor->setText(QString::number(loaded.temperature));
  E_TempPor->setReadOnly(false);
  E_probkPor->setText(QString::fromLatin1(SamplingForCode(loaded.samplingCode).text));
  E_probkPor->setCursorPosition(0);
  ComparisonSampleCount = loaded.SampleCount;
  DecodeComparison();
}

void THypsor::ClearComparisonPanel() {
  for (QLineEdit* e : {E_Max_Por, E_Min_Por, E_probkPor, E_TempPor, E_Zaw_Por, E_NrS_Por})
    e->clear();
  GroupB_Por->setTitle(T(Txt::GroupB_Por));
}

void THypsor::ClearMainPanel() {
  for (QLineEdit* e : {E_MaxGl, EMinimum, E_TempGl, E_probkGl, E_NrZawodnika, E_NrSeryjny})
    e->clear();
  GroupB_Hypsor->setTitle(T(Txt::GroupB_Hypsor));
}

void THypsor::Porownanie1Click() {
  if (Porownanie1->isChecked()) {
    Porownanie1->setChecked(false);
    ClearComparisonPanel();
    Chart1->ClearSeries(Chart1->Series3);
  } else {
    Porownanie1->setChecked(true);
  }
}

// ---------------------------------------------------------------- chart

void THypsor::ppp() {
  // A legend click only redraws.
  Chart1->RepaintChart();
}

void THypsor::xxx(QLineSeries* series) {
  // The curve is known by what it is, not by its title (titles differ by language).
  Chart1->ClearSeries(series);
  if (series == Chart1->Series3)
    ClearComparisonPanel();
  else if (series == Chart1->Series1)
    ClearMainPanel();
}

void THypsor::Przyspieszenie1Click() {
  if (Settings.ShowAcceleration != 0) {
    Przyspieszenie1->setChecked(false);
    Settings.ShowAcceleration = 0;
    Chart1->ClearSeries(Chart1->Series2);
    return;
  }
  Przyspieszenie1->setChecked(true);
  Settings.ShowAcceleration = 1;
  if (hasMainFlight_ && MainFlight.SampleCount != 0) {
    Chart1->ClearSeries(Chart1->Series1);
    Chart1->ClearSeries(Chart1->Series2);
    PrepareLeftAxis();
    DecodeMainFlight();
  }
}

// ---------------------------------------------------------------- temperature entry

bool THypsor::TemperatureKey(QLineEdit* field, QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    TemperatureEntered(field);
    return true;
  }
  const QString text = event->text();
  if (key == Qt::Key_Backspace) return false;
  // Keys that type nothing (arrows, Home, Delete, Tab) are not characters: let them through.
  if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    return false;
  if (text.size() != 1) return true;
  const QChar c = text.at(0);
  if (c == QLatin1Char('-')) return false;
  if (c.isDigit() && c.unicode() < 128 && field->text().size() < 3) return false;
  return true;  // refused: the field never sees it
}

void THypsor::TemperatureEntered(QLineEdit* field) {
  const int value = TemperatureValue(field->text());
  if (value == kNotANumber) {
    ShowError(T(Txt::WrongTemperature));
    return;
  }
  if (field == E_TempGl) {
    MainFlight.GroundTemperature = static_cast<float>(value);
    if (!hasMainFlight_) return;
    Chart1->ClearSeries(Chart1->Series1);
    Chart1->ClearSeries(Chart1->Series2);
    PrepareLeftAxis();
    DecodeMainFlight();
  } else {
    ComparisonFlight.GroundTemperature = static_cast<float>(value);
    DecodeComparison();
  }
}

}  // namespace hypsor
