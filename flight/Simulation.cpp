// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight/Simulation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

#include <QRegularExpression>

#include "flight/FlightStatistics.h"

namespace hypsor {

namespace {

constexpr double kFootM = 0.3048;
// The flight's launch rule (flight/FlightStatistics.cpp), in metres.
constexpr double kLaunchM = 3.0;
constexpr double kGroundM = 0.5;

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The fields of a line, trimmed, into out (reused between lines).
void Split(std::string_view line, char separator, std::vector<std::string_view>& out) {
  out.clear();
  std::size_t from = 0;
  while (true) {
    const std::size_t at = line.find(separator, from);
    if (at == std::string_view::npos) {
      out.push_back(Trimmed(line.substr(from)));
      return;
    }
    out.push_back(Trimmed(line.substr(from, at - from)));
    from = at + 1;
  }
}

// The separator a header line uses: the one it holds most of; a tab or a semicolon before a
// comma when they tie, since a comma may be a decimal point.
char SeparatorOf(std::string_view line) {
  const auto count = [line](char c) { return std::count(line.begin(), line.end(), c); };
  const long tabs = count('\t'), semicolons = count(';'), commas = count(',');
  if (tabs >= semicolons && tabs >= commas && tabs > 0) return '\t';
  if (semicolons >= commas && semicolons > 0) return ';';
  return ',';
}

// A number; with a separator other than a comma, a decimal comma too.
std::optional<double> Number(std::string_view field, char separator, std::string& scratch) {
  if (field.empty()) return std::nullopt;
  if (separator != ',' && field.find(',') != std::string_view::npos) {
    scratch.assign(field);
    std::replace(scratch.begin(), scratch.end(), ',', '.');
    field = scratch;
  }
  if (field.front() == '+') field.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (ec != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

QString Text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The unit in parentheses at the end of a column name ("Altitude (ft)" gives "ft"), lower case.
QString UnitOf(const QString& name) {
  static const QRegularExpression kUnit(QStringLiteral("[(\\[]\\s*([^)\\]]*?)\\s*[)\\]]\\s*$"));
  const QRegularExpressionMatch m = kUnit.match(name);
  return m.hasMatch() ? m.captured(1).toLower() : QString();
}

bool IsTimeName(const QString& name) {
  const QString n = name.trimmed().toLower();
  return n.startsWith(QLatin1String("time")) || n == QLatin1String("t") ||
         n.startsWith(QLatin1String("t ")) || n.startsWith(QLatin1String("t(")) ||
         n.startsWith(QLatin1String("czas"));
}

bool IsAltitudeName(const QString& name) {
  const QString n = name.trimmed().toLower();
  return n.startsWith(QLatin1String("altitude")) || n.startsWith(QLatin1String("height")) ||
         n.startsWith(QLatin1String("wysoko"));
}

// The only column whose name passes is, or -1.
template <typename Test>
int OnlyColumn(const QStringList& names, Test is) {
  int found = -1;
  for (int i = 0; i < names.size(); ++i) {
    if (!is(names[i])) continue;
    if (found >= 0) return -1;
    found = i;
  }
  return found;
}

}  // namespace

Failure SimulationFailure(const SimulationRead& read, const QString& fileName) {
  Failure f;
  f.path = fileName;
  f.line = read.line;
  switch (read.problem) {
    case SimulationProblem::None:
    case SimulationProblem::NeedColumns: return {};
    case SimulationProblem::Empty: f.kind = FailureKind::SimulationEmpty; break;
    case SimulationProblem::NoHeader: f.kind = FailureKind::SimulationNoHeader; break;
    case SimulationProblem::Fields:
      f.kind = FailureKind::SimulationFields;
      f.limit = read.expectedFields;
      f.number = read.foundFields;
      break;
    case SimulationProblem::Number:
      f.kind = FailureKind::SimulationNumber;
      f.detail = read.field;
      f.found = read.found;
      break;
    case SimulationProblem::Time:
      f.kind = FailureKind::SimulationTime;
      f.found = read.found;
      break;
    case SimulationProblem::Rows: f.kind = FailureKind::SimulationRows; break;
    case SimulationProblem::Unit:
      f.kind = FailureKind::SimulationUnit;
      f.found = read.found;
      break;
    case SimulationProblem::Columns:
      f.kind = FailureKind::SimulationColumns;
      f.detail = read.field;
      break;
  }
  return f;
}

SimulationRead ReadSimulationCsv(const QByteArray& text,
                                 const std::optional<SimulationColumns>& chosen) {
  SimulationRead r;
  auto fail = [&r](SimulationProblem p, int line) {
    r.problem = p;
    r.line = line;
    r.data.reset();
    return r;
  };
  const std::string_view all(text.constData(), static_cast<std::size_t>(text.size()));
  if (Trimmed(all).find_first_not_of("\r\n") == std::string_view::npos)
    return fail(SimulationProblem::Empty, 0);

  static const QRegularExpression kEvent(
      QStringLiteral("^#\\s*Event\\s+(\\w+)\\s+occurred at t=([-+0-9.eE]+)"));
  SimulationData data;
  std::vector<std::string_view> fields;
  std::string scratch;
  bool haveHeader = false;
  char separator = ',';
  int headerFields = 0;
  SimulationColumns use;
  double lastTime = 0;

  // Takes a header's names; true when the columns are known (from the comment layout or the
  // choice), false with r set when they are not.
  auto takeHeader = [&](std::string_view line, bool comment, int lineNumber) {
    separator = SeparatorOf(line);
    Split(line, separator, fields);
    headerFields = static_cast<int>(fields.size());
    r.columnNames.clear();
    for (std::string_view f : fields) r.columnNames << Text(f);
    r.layoutKey = Text(line);
    haveHeader = true;
    r.guess.time = OnlyColumn(r.columnNames, IsTimeName);
    r.guess.altitude = OnlyColumn(r.columnNames, IsAltitudeName);
    if (r.guess.altitude >= 0) r.guess.feet = UnitOf(r.columnNames[r.guess.altitude]) == "ft";
    if (chosen) {
      use = *chosen;
      for (int c : {use.time, use.altitude}) {
        if (c < 0 || c >= headerFields) {
          r.field = QString::number(c + 1);
          fail(SimulationProblem::Columns, lineNumber);
          return false;
        }
      }
      return true;
    }
    if (!comment || r.guess.time < 0 || r.guess.altitude < 0) {
      fail(SimulationProblem::NeedColumns, lineNumber);
      return false;
    }
    use = r.guess;
    const QString unit = UnitOf(r.columnNames[use.altitude]);
    if (unit != QLatin1String("m") && unit != QLatin1String("ft")) {
      r.field = r.columnNames[use.altitude];
      r.found = unit;
      fail(SimulationProblem::Unit, lineNumber);
      return false;
    }
    return true;
  };

  int lineNumber = 0;
  std::size_t from = 0;
  while (from <= all.size()) {
    std::size_t end = all.find('\n', from);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view line = Trimmed(all.substr(from, end - from));
    from = end + 1;
    ++lineNumber;
    if (line.empty()) continue;
    if (line.front() == '#') {
      const QString comment = Text(line);
      const QRegularExpressionMatch event = kEvent.match(comment);
      if (event.hasMatch()) {
        if (event.captured(1).compare(QLatin1String("LAUNCH"), Qt::CaseInsensitive) == 0 &&
            !data.launchEventS)
          data.launchEventS = event.captured(2).toDouble();
        continue;
      }
      // The layout's own header: a comment naming a time and an altitude with units.
      if (!haveHeader) {
        const std::string_view body = Trimmed(line.substr(1));
        Split(body, SeparatorOf(body), fields);
        QStringList names;
        for (std::string_view f : fields) names << Text(f);
        if (names.size() >= 2 && OnlyColumn(names, IsTimeName) >= 0 &&
            OnlyColumn(names, IsAltitudeName) >= 0 && body.find('(') != std::string_view::npos) {
          if (!takeHeader(body, true, lineNumber)) return r;
        }
      }
      continue;
    }
    if (!haveHeader) {
      // A first line that is not all numbers names the columns.
      Split(line, SeparatorOf(line), fields);
      const bool numbers = std::all_of(fields.begin(), fields.end(), [&](std::string_view f) {
        return Number(f, SeparatorOf(line), scratch).has_value();
      });
      if (numbers) return fail(SimulationProblem::NoHeader, lineNumber);
      if (!takeHeader(line, false, lineNumber)) return r;
      continue;
    }
    Split(line, separator, fields);
    const int needed = std::max(use.time, use.altitude) + 1;
    if (static_cast<int>(fields.size()) < needed) {
      r.expectedFields = headerFields;
      r.foundFields = static_cast<int>(fields.size());
      return fail(SimulationProblem::Fields, lineNumber);
    }
    const auto t = Number(fields[static_cast<std::size_t>(use.time)], separator, scratch);
    if (!t) {
      r.field = r.columnNames.value(use.time);
      r.found = Text(fields[static_cast<std::size_t>(use.time)]);
      return fail(SimulationProblem::Number, lineNumber);
    }
    const auto h = Number(fields[static_cast<std::size_t>(use.altitude)], separator, scratch);
    if (!h) {
      r.field = r.columnNames.value(use.altitude);
      r.found = Text(fields[static_cast<std::size_t>(use.altitude)]);
      return fail(SimulationProblem::Number, lineNumber);
    }
    if (!data.timeS.empty()) {
      if (*t < lastTime) {
        r.found = Text(fields[static_cast<std::size_t>(use.time)]);
        return fail(SimulationProblem::Time, lineNumber);
      }
      if (*t == lastTime) continue;  // an event's second row at the same moment
    }
    lastTime = *t;
    data.timeS.push_back(*t);
    data.altitudeM.push_back(use.feet ? *h * kFootM : *h);
  }
  if (!haveHeader) return fail(SimulationProblem::NoHeader, lineNumber);
  if (data.timeS.size() < 2) return fail(SimulationProblem::Rows, 0);
  r.data = std::move(data);
  return r;
}

std::optional<double> SimulationLaunch(const SimulationData& sim) {
  if (sim.launchEventS) return sim.launchEventS;
  const auto above = std::find_if(sim.altitudeM.begin(), sim.altitudeM.end(),
                                  [](double h) { return h >= kLaunchM; });
  if (above == sim.altitudeM.end()) return std::nullopt;
  std::size_t launch = 0;
  for (auto i = static_cast<std::size_t>(above - sim.altitudeM.begin()); i-- > 0;) {
    if (sim.altitudeM[i] <= kGroundM) {
      launch = i;
      break;
    }
  }
  return sim.timeS[launch];
}

std::optional<double> SimulationAltitudeAt(const SimulationData& sim, double t) {
  const auto& ts = sim.timeS;
  if (ts.empty() || t < ts.front() || t > ts.back()) return std::nullopt;
  const auto upper = std::upper_bound(ts.begin(), ts.end(), t);
  if (upper == ts.end()) return sim.altitudeM.back();
  const auto k = static_cast<std::size_t>(upper - ts.begin());
  const double t0 = ts[k - 1], t1 = ts[k];
  const double h0 = sim.altitudeM[k - 1], h1 = sim.altitudeM[k];
  return h0 + (h1 - h0) * (t - t0) / (t1 - t0);
}

SimulationComparison CompareWithSimulation(const AltitudeTableArray& table, int count, int step,
                                           std::optional<float> apogeeM,
                                           const SimulationData& sim) {
  SimulationComparison c;
  const FlightStatistics s = ComputeStatistics(table, count, step, apogeeM);
  const std::optional<double> simLaunch = SimulationLaunch(sim);
  if (!s.launched || !simLaunch || sim.timeS.empty()) return c;
  c.valid = true;
  c.flightLaunchS = s.launchS;
  c.simulationLaunchS = *simLaunch;
  c.shiftS = *simLaunch - s.launchS;
  // The simulation's apogee: its highest row, the first of equals.
  const auto top = std::max_element(sim.altitudeM.begin(), sim.altitudeM.end());
  const double simApogeeT = sim.timeS[static_cast<std::size_t>(top - sim.altitudeM.begin())];
  c.flightApogeeM = s.apogeeM;
  c.simulationApogeeM = *top;
  c.apogeeErrorM = c.flightApogeeM - c.simulationApogeeM;
  c.apogeeErrorPercent = c.simulationApogeeM != 0 ? 100.0 * c.apogeeErrorM / c.simulationApogeeM : 0;
  c.flightTimeToApogeeS = s.timeToApogeeS;
  c.simulationTimeToApogeeS = simApogeeT - *simLaunch;
  c.timeToApogeeErrorS = c.flightTimeToApogeeS - c.simulationTimeToApogeeS;

  // The ascent: every flight sample from the launch to the earlier apogee that the simulation
  // covers.
  const double ascentS = std::min(c.flightTimeToApogeeS, c.simulationTimeToApogeeS);
  double sum = 0;
  const int n = std::clamp(count, 0, AltitudeTableSize - 1);
  for (int i = s.launchIndex; i < n; ++i) {
    const double since = SampleTime(i, step) - s.launchS;
    if (since > ascentS + 1e-9) break;
    const std::optional<double> h = SimulationAltitudeAt(sim, *simLaunch + since);
    if (!h) continue;
    const double e = table[static_cast<std::size_t>(i)] / 10.0 - *h;
    sum += e * e;
    ++c.ascentSamples;
  }
  c.rmsAscentM = c.ascentSamples > 0 ? std::sqrt(sum / c.ascentSamples) : 0.0;
  return c;
}

SimulationSamples SimulationOnFlightSamples(const SimulationData& sim, double flightLaunchS,
                                            int step) {
  SimulationSamples out;
  const std::optional<double> simLaunch = SimulationLaunch(sim);
  if (!simLaunch || sim.timeS.empty()) return out;
  const double perSecond = std::max(1, step) / 10.0;
  // Flight time of the simulation's first and last row.
  const double first = sim.timeS.front() - *simLaunch + flightLaunchS;
  const double last = sim.timeS.back() - *simLaunch + flightLaunchS;
  out.firstIndex = static_cast<int>(std::ceil(first * perSecond - 1e-9));
  const int lastIndex = static_cast<int>(std::floor(last * perSecond + 1e-9));
  if (lastIndex < out.firstIndex) return out;
  out.metres.reserve(static_cast<std::size_t>(lastIndex - out.firstIndex + 1));
  // One walk along the rows: the sample times only grow.
  std::size_t k = 1;
  for (int i = out.firstIndex; i <= lastIndex; ++i) {
    const double t = std::clamp(i / perSecond - flightLaunchS + *simLaunch, sim.timeS.front(),
                                sim.timeS.back());
    while (k + 1 < sim.timeS.size() && sim.timeS[k] < t) ++k;
    const double t0 = sim.timeS[k - 1], t1 = sim.timeS[k];
    const double h0 = sim.altitudeM[k - 1], h1 = sim.altitudeM[k];
    out.metres.push_back(static_cast<float>(h0 + (h1 - h0) * (t - t0) / (t1 - t0)));
  }
  return out;
}

}  // namespace hypsor
