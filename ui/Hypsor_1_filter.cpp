// The two "Filtr" buttons: smooth the main or the comparison flight's curve, draw the unfiltered
// curve dashed beside it and show the filtered extremes.
#include <QLineEdit>
#include <QLineSeries>

#include "flight/Filters.h"
#include "ui/Filtr.h"
#include "ui/FlightChart.h"
#include "ui/Hypsor_1.h"

namespace hypsor {
namespace {

std::vector<float> Metres(std::span<const std::int32_t> decimetres) {
  std::vector<float> m;
  m.reserve(decimetres.size());
  for (std::int32_t v : decimetres) m.push_back(static_cast<float>(v * 0.1));
  return m;
}

}  // namespace

FilterParams THypsor::CurrentFilterParams() const {
  // Read at the press, so values saved in the filter window count from the next press on.
  return {Settings.PreCutCm, Settings.FinalCutCm, Settings.PreFilterWindow,
          Settings.FinalFilterWindow};
}

void THypsor::B_Filtr_HypsorClick() {
  if (!hasMainFlight_ || MainFlight.SampleCount < FilterMinimumSamples) return;
  const FilterOutput out =
      RunFilterChain(AltitudeTable, AltitudeCount, CurrentFilterParams(), *filterTables_);
  if (!out.ran) return;
  Chart1->ClearSeries(Chart1->Series1);
  Chart1->ClearSeries(Chart1->Series5);
  QStringList labels;
  labels.reserve(out.count);
  for (int i = 0; i < out.count; ++i) {
    const bool whole = (10 * i) % MainFlight.TimeLabelStep == 0;
    labels.append(whole ? QString::number(10 * i / MainFlight.TimeLabelStep) : QString());
  }
  Chart1->SetTimeLabels(labels);
  Chart1->SetPoints(Chart1->Series1, Metres(out.filtered));
  Chart1->SetPoints(Chart1->Series5, Metres(out.unfiltered));
  E_MaxGl->setText(FormatMetres(static_cast<float>(out.maxDm * 0.1)));
  EMinimum->setText(FormatMetres(static_cast<float>(out.minDm * 0.1)));
}

void THypsor::B_Filtr_porClick() {
  if (ComparisonSampleCount < FilterMinimumSamples) return;
  const FilterOutput out =
      RunFilterChain(ComparisonTable, ComparisonCount, CurrentFilterParams(), *filterTables_);
  if (!out.ran) return;
  Chart1->ClearSeries(Chart1->Series3);
  Chart1->ClearSeries(Chart1->Series6);
  Chart1->SetPoints(Chart1->Series6, Metres(out.unfiltered));
  Chart1->SetPoints(Chart1->Series3, Metres(out.filtered));
  E_Max_Por->setText(FormatMetres(static_cast<float>(out.maxDm * 0.1)));
  E_Min_Por->setText(FormatMetres(static_cast<float>(out.minDm * 0.1)));
}

void THypsor::Ustawienia2Click() {
  if (fFiltr_) fFiltr_->exec();
}

}  // namespace hypsor
