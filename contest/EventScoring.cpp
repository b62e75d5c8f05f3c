// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/EventScoring.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "flight/Decode.h"

namespace hypsor {

namespace {

double RoundTo(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// The altitude as every view shows it: to the decimetre.
std::optional<double> ShownAltitude(const std::optional<float>& m) {
  if (!m) return std::nullopt;
  return FormatAltitude(*m, QLatin1Char('.')).toDouble();
}

// -1 when a is better than b, 1 when worse, 0 when equal; a missing score is the worst.
int Compare(const std::optional<double>& a, const std::optional<double>& b, bool lowerIsBetter) {
  if (!a && !b) return 0;
  if (!a) return 1;
  if (!b) return -1;
  if (*a == *b) return 0;
  return (*a < *b) == lowerIsBetter ? -1 : 1;
}

struct Scored {
  std::optional<double> score;
  std::vector<Remark> remarks;
};

// One flight's score under the pack, or why it has none.
Scored FlightScore(const RulePack& pack, const EventEntry* entry, const FlightCell& cell,
                   int flightLine) {
  Scored s;
  if (!cell.altitudeM) {
    s.remarks.push_back({RemarkKind::NoAltitude, cell.round, cell.file, {}, {}});
    return s;
  }
  const double a = *cell.altitudeM;
  // An entry value the rule needs, recorded before the flight.
  auto value = [&](const char* key) -> std::optional<double> {
    const QString k = QLatin1String(key);
    if (!entry || !entry->values.count(k)) {
      s.remarks.push_back({RemarkKind::NoEntryValue, cell.round, cell.file, k, {}});
      return std::nullopt;
    }
    if (pack.entryValues.contains(k) && entry->valueLines.at(k) > flightLine) {
      s.remarks.push_back({RemarkKind::LateEntryValue, cell.round, cell.file, k, {}});
      return std::nullopt;
    }
    return entry->values.at(k);
  };
  switch (pack.score) {
    case ScoreKind::Altitude: s.score = a; break;
    case ScoreKind::Precision: {
      const std::optional<double> target =
          pack.target == TargetFrom::Event ? pack.targetM : value(kTargetKey);
      if (!target || *target <= 0) {
        if (pack.target == TargetFrom::Event)
          s.remarks.push_back({RemarkKind::NoEntryValue, cell.round, cell.file,
                               QLatin1String(kTargetKey), {}});
        break;
      }
      const double percent = RoundTo(a / *target * 100.0, 1);
      s.score = percent >= 100.0 ? percent - 100.0 : 100.0 - percent;
      break;
    }
    case ScoreKind::AltitudePlusStatic: {
      const std::optional<double> points = value(kStaticPointsKey);
      const double flightPoints =
          entry && entry->values.count(QLatin1String(kFlightPointsKey))
              ? entry->values.at(QLatin1String(kFlightPointsKey))
              : 0.0;
      if (points) s.score = *points + flightPoints + a;
      break;
    }
    case ScoreKind::LengthTimesAltitude: {
      std::optional<double> length = value(kLengthKey);
      if (length && pack.maxLengthCm) length = std::min(*length, *pack.maxLengthCm);
      if (length) s.score = *length * a;
      break;
    }
  }
  if (s.score) s.score = RoundTo(*s.score, pack.decimals);
  return s;
}

struct RowKey {
  std::optional<double> total;
  std::vector<std::optional<double>> next;  // the round scores after those counted, best first
};

int CompareRows(const RowKey& a, const RowKey& b, const RulePack& pack, bool withNext) {
  if (const int c = Compare(a.total, b.total, pack.lowerIsBetter)) return c;
  if (!withNext) return 0;
  const std::size_t n = std::max(a.next.size(), b.next.size());
  for (std::size_t k = 0; k < n; ++k) {
    const std::optional<double> x = k < a.next.size() ? a.next[k] : std::nullopt;
    const std::optional<double> y = k < b.next.size() ? b.next[k] : std::nullopt;
    if (const int c = Compare(x, y, pack.lowerIsBetter)) return c;
  }
  return 0;
}

EventResults Score(const ContestBook& book, const QString& eventId, const RulePack& pack,
                   const std::vector<std::pair<const FlightRecord*, int>>& flights,
                   bool everyCompetitorEntered) {
  EventResults out;
  out.event = eventId;
  out.pack = pack;
  // Every competitor entered, and every one with a flight in the event.
  std::map<unsigned, EventRow> rows;
  for (const EventEntry& e : book.entries)
    if (e.event == eventId) rows[e.competitor];
  std::map<unsigned, bool> entered;
  for (const auto& [number, row] : rows) entered[number] = true;
  std::map<std::pair<unsigned, int>, std::vector<std::pair<const FlightRecord*, int>>> byRound;
  for (const auto& [f, round] : flights) {
    rows[f->competitor];
    byRound[{f->competitor, round}].push_back({f, round});
  }
  const bool withNext = pack.tieBreaks.contains(QStringLiteral("next-best"));
  std::map<unsigned, RowKey> keys;
  for (auto& [number, row] : rows) {
    const auto known = book.competitors.find(number);
    row.competitor = known != book.competitors.end() ? known->second : Competitor{number, {}, {}, {}, {}, {}, 0};
    row.competitor.number = number;
    const EventEntry* entry = book.Entry(eventId, number);
    if (!everyCompetitorEntered && !entered.count(number))
      row.remarks.push_back({RemarkKind::NotEntered, 0, {}, {}, {}});
    row.roundScores.assign(static_cast<std::size_t>(pack.rounds), std::nullopt);
    for (int round = 1; round <= pack.rounds; ++round) {
      const auto it = byRound.find({number, round});
      if (it == byRound.end()) continue;
      // The round's flights in the order they were recorded.
      auto list = it->second;
      std::sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
        return book.flightLines.at(a.first->file) < book.flightLines.at(b.first->file);
      });
      int closed = 0;  // flights that used an official slot of the round
      bool conflict = false;
      std::vector<std::size_t> counting;
      const std::size_t first = row.flights.size();
      for (const auto& [f, r] : list) {
        FlightCell cell;
        cell.round = round;
        cell.file = f->file;
        cell.altitudeM = ShownAltitude(f->apogeeM);
        const QString decided = book.LastStatus(f->file);
        const StatusRule* rule = nullptr;
        if (!Rankable(f->reasons)) {
          cell.status = StatusText(f->reasons);
          row.remarks.push_back({RemarkKind::RecordState, round, f->file, cell.status, {}});
        } else {
          cell.status = decided.isEmpty() ? QStringLiteral("official") : decided;
          rule = pack.Status(cell.status);
          if (!decided.isEmpty()) {
            const JuryDecision& d = book.decisions.at(f->file).back();
            row.remarks.push_back({RemarkKind::Status, round, f->file, d.status, d.reason});
          }
        }
        if (rule && rule->counts) {
          if (pack.flightsPerRound > 0 && closed >= pack.flightsPerRound) conflict = true;
          const Scored s = FlightScore(pack, entry, cell, book.flightLines.at(f->file));
          cell.score = s.score;
          row.remarks.insert(row.remarks.end(), s.remarks.begin(), s.remarks.end());
          counting.push_back(row.flights.size());
        }
        if (rule && !rule->reflight) ++closed;
        row.flights.push_back(cell);
      }
      if (conflict) {
        const Remark r{RemarkKind::Conflict, round, {}, {}, {}};
        row.remarks.push_back(r);
        Remark forJury = r;
        forJury.detail = QString::number(number);
        out.forJury.push_back(forJury);
        continue;
      }
      std::optional<double> best;
      std::size_t bestAt = 0;
      for (std::size_t k : counting)
        if (row.flights[k].score && Compare(row.flights[k].score, best, pack.lowerIsBetter) < 0) {
          best = row.flights[k].score;
          bestAt = k;
        }
      if (best) {
        row.roundScores[static_cast<std::size_t>(round - 1)] = best;
        row.flights[bestAt].counted = true;
      }
      (void)first;
    }
    // The best K rounds count: the best alone, or their sum.
    std::vector<double> scored;
    for (const auto& s : row.roundScores)
      if (s) scored.push_back(*s);
    std::sort(scored.begin(), scored.end(), [&](double a, double b) {
      return pack.lowerIsBetter ? a < b : a > b;
    });
    RowKey key;
    if (!scored.empty()) {
      const std::size_t k = std::min<std::size_t>(scored.size(), static_cast<std::size_t>(pack.countBest));
      double total = 0;
      for (std::size_t i = 0; i < k; ++i) total += scored[i];
      key.total = RoundTo(total, pack.decimals);
      for (std::size_t i = k; i < scored.size(); ++i) key.next.push_back(scored[i]);
    }
    // Only the counted rounds are marked; with a sum of K, each of those rounds' flights.
    if (pack.countBest > 1) {
      for (FlightCell& c : row.flights) c.counted = false;
      std::vector<std::pair<double, int>> byScore;
      for (std::size_t r = 0; r < row.roundScores.size(); ++r)
        if (row.roundScores[r]) byScore.push_back({*row.roundScores[r], static_cast<int>(r) + 1});
      std::sort(byScore.begin(), byScore.end(), [&](const auto& a, const auto& b) {
        return pack.lowerIsBetter ? a.first < b.first : a.first > b.first;
      });
      for (std::size_t i = 0; i < byScore.size() && i < static_cast<std::size_t>(pack.countBest); ++i)
        for (FlightCell& c : row.flights)
          if (c.round == byScore[i].second && c.score == byScore[i].first) {
            c.counted = true;
            break;
          }
    } else if (key.total) {
      bool marked = false;
      for (FlightCell& c : row.flights) {
        const bool best = !marked && c.counted && c.score == key.total;
        c.counted = best;
        marked = marked || best;
      }
    }
    row.score = key.total;
    keys[number] = key;
  }

  std::vector<EventRow> sorted;
  for (auto& [number, row] : rows) sorted.push_back(std::move(row));
  std::stable_sort(sorted.begin(), sorted.end(), [&](const EventRow& a, const EventRow& b) {
    return CompareRows(keys[a.competitor.number], keys[b.competitor.number], pack, withNext) < 0;
  });
  for (std::size_t k = 0; k < sorted.size(); ++k) {
    if (!sorted[k].score) break;
    const bool equal = k > 0 && CompareRows(keys[sorted[k].competitor.number],
                                            keys[sorted[k - 1].competitor.number], pack,
                                            withNext) == 0;
    sorted[k].place = equal ? sorted[k - 1].place : static_cast<int>(k) + 1;
    if (equal) sorted[k].tie = sorted[k - 1].tie = true;
  }
  out.rows = std::move(sorted);

  // Teams: the sum of the best K members' scores of one nation or club; whole teams first.
  if (pack.teamBest > 0) {
    std::map<QString, TeamRow> teams;
    for (const EventRow& row : out.rows) {
      const QString team = pack.teamBy == QLatin1String("club") ? row.competitor.club : row.competitor.nation;
      if (team.isEmpty() || !row.score) continue;
      TeamRow& t = teams[team];
      t.team = team;
      if (t.members.size() < static_cast<std::size_t>(pack.teamBest)) {
        t.members.push_back(row.competitor.number);
        t.score = RoundTo(t.score + *row.score, pack.decimals);
      }
    }
    for (auto& [name, t] : teams) {
      t.complete = t.members.size() == static_cast<std::size_t>(pack.teamBest);
      out.teams.push_back(t);
    }
    std::stable_sort(out.teams.begin(), out.teams.end(), [&](const TeamRow& a, const TeamRow& b) {
      if (a.complete != b.complete) return a.complete;
      return Compare(a.score, b.score, pack.lowerIsBetter) < 0;
    });
    for (std::size_t k = 0; k < out.teams.size(); ++k) {
      const bool equal = k > 0 && out.teams[k].complete == out.teams[k - 1].complete &&
                         out.teams[k].score == out.teams[k - 1].score;
      out.teams[k].place = equal ? out.teams[k - 1].place : static_cast<int>(k) + 1;
    }
  }
  return out;
}

}  // namespace

EventResults ScoreEvent(const ContestBook& book, const ContestEvent& event, const RulePack& pack,
                        const std::vector<FlightRecord>& flights) {
  std::vector<std::pair<const FlightRecord*, int>> in;
  for (const FlightRecord& f : flights) {
    const auto a = book.assignments.find(f.file);
    if (a == book.assignments.end() || a->second.event != event.id) continue;
    if (a->second.round < 1 || a->second.round > pack.rounds) continue;
    if (!book.flightLines.count(f.file)) continue;
    in.push_back({&f, a->second.round});
  }
  return Score(book, event.id, pack, in, false);
}

EventResults ScoreOpenEvent(const ContestBook& book, const std::vector<FlightRecord>& flights) {
  // Every flight, recorded or not, in round 1; an unrecorded one sorts after the recorded.
  ContestBook open = book;
  int line = 1 << 30;
  for (const FlightRecord& f : flights)
    if (!open.flightLines.count(f.file)) open.flightLines[f.file] = line++;
  std::vector<std::pair<const FlightRecord*, int>> in;
  for (const FlightRecord& f : flights)
    if (!(f.reasons & ReasonMissing)) in.push_back({&f, 1});
  return Score(open, QString::fromLatin1(kOpenEventId), OpenEventPack(), in, true);
}

QString ScoreText(double score, int decimals) {
  return QString::number(score, 'f', decimals);
}

}  // namespace hypsor
