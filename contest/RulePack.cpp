// SPDX-License-Identifier: GPL-3.0-or-later
#include "contest/RulePack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

#include "files/FileDigest.h"
#include "platform/ExecutablePath.h"

// Where an installed program keeps its rule packs, relative to its executable's folder.
#ifndef HYPSOR_RULES_FROM_BINDIR
#error "HYPSOR_RULES_FROM_BINDIR is set by CMakeLists.txt from the install layout"
#endif

namespace hypsor {

namespace {

Failure FieldFailure(const QString& path, const QString& field, const QString& found) {
  Failure f = Failure::Of(FailureKind::RulePackField, QDir::toNativeSeparators(path));
  f.detail = field;
  f.found = found;
  return f;
}

QString Shown(const QJsonValue& v) {
  if (v.isUndefined()) return QStringLiteral("missing");
  if (v.isString()) return v.toString();
  if (v.isDouble()) return QString::number(v.toDouble());
  if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
  return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

// Reading a pack's fields, each failure naming the field.
class Fields {
 public:
  Fields(const QJsonObject& o, const QString& path) : o_(o), path_(path) {}
  bool Text(const char* key, QString& into, bool required = true) {
    const QJsonValue v = o_.value(QLatin1String(key));
    if (v.isUndefined() && !required) return true;
    if (!v.isString() || v.toString().trimmed().isEmpty()) return Bad(key, v);
    into = v.toString();
    return true;
  }
  bool Int(const char* key, int& into, int min, int max, bool required = true) {
    const QJsonValue v = o_.value(QLatin1String(key));
    if (v.isUndefined() && !required) return true;
    const double d = v.toDouble(-1e9);
    if (!v.isDouble() || d != std::floor(d) || d < min || d > max) return Bad(key, v);
    into = static_cast<int>(d);
    return true;
  }
  bool Choice(const char* key, const QStringList& choices, QString& into, bool required = true) {
    const QJsonValue v = o_.value(QLatin1String(key));
    if (v.isUndefined() && !required) return true;
    if (!v.isString() || !choices.contains(v.toString())) return Bad(key, v);
    into = v.toString();
    return true;
  }
  bool Words(const char* key, const QStringList& allowed, QStringList& into) {
    const QJsonValue v = o_.value(QLatin1String(key));
    if (v.isUndefined()) return true;
    if (!v.isArray()) return Bad(key, v);
    for (const QJsonValue& w : v.toArray()) {
      if (!w.isString() || (!allowed.isEmpty() && !allowed.contains(w.toString())))
        return Bad(key, w);
      into << w.toString();
    }
    return true;
  }
  bool Bad(const QString& key, const QJsonValue& v) {
    failure = FieldFailure(path_, key, Shown(v));
    return false;
  }
  Failure failure;

 private:
  const QJsonObject o_;  // a copy: callers pass temporaries (cheap, shared)
  QString path_;
};

const QStringList kScoreKinds = {QStringLiteral("altitude"), QStringLiteral("precision"),
                                 QStringLiteral("altitude-plus-static"),
                                 QStringLiteral("length-times-altitude")};
const QStringList kStatuses = {QStringLiteral("official"), QStringLiteral("no-data"),
                               QStringLiteral("attempt"), QStringLiteral("dq"),
                               QStringLiteral("withdrawn")};
const QStringList kParameterKeys = {QStringLiteral("rounds"), QStringLiteral("best"),
                                    QStringLiteral("flights_per_round"), QStringLiteral("target_mode"),
                                    QStringLiteral("target"), QStringLiteral("class"),
                                    QStringLiteral("max_length_cm")};

}  // namespace

const StatusRule* RulePack::Status(const QString& status) const {
  for (const StatusRule& s : statuses)
    if (s.id == status) return &s;
  return nullptr;
}

QStringList RulePack::StatusIds() const {
  QStringList ids;
  for (const StatusRule& s : statuses) ids << s.id;
  return ids;
}

bool ParseRulePack(const QByteArray& json, const QString& path, RulePack& pack, Failure* error) {
  QJsonParseError parse{};
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
  if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
    Failure f = Failure::Of(FailureKind::RulePackUnreadable, QDir::toNativeSeparators(path));
    f.found = parse.error != QJsonParseError::NoError ? parse.errorString()
                                                      : QStringLiteral("not an object");
    f.number = parse.offset;
    return Fail(error, f);
  }
  const QJsonObject o = doc.object();
  RulePack p;
  p.path = path;
  p.sha256 = Sha256Hex(json);
  Fields read(o, path);
  QString score, order, target, teamBy;
  const QJsonObject source = o.value(QLatin1String("source")).toObject();
  Fields readSource(source, path);
  if (!read.Text("id", p.id) || !read.Text("title", p.title) ||
      !readSource.Text("document", p.document) || !readSource.Text("edition", p.edition) ||
      !readSource.Text("rules", p.ruleNumbers) || !read.Int("rounds", p.rounds, 1, 20) ||
      !read.Int("flights_per_round", p.flightsPerRound, 0, 10) ||
      !read.Int("best", p.countBest, 1, 20) || !read.Choice("score", kScoreKinds, score) ||
      !read.Choice("order", {QStringLiteral("highest"), QStringLiteral("lowest")}, order) ||
      !read.Int("decimals", p.decimals, 0, 3) ||
      !read.Choice("target", {QStringLiteral("none"), QStringLiteral("predicted"),
                              QStringLiteral("set"), QStringLiteral("random")},
                   target, false) ||
      !read.Words("entry_values",
                  {QLatin1String(kTargetKey), QLatin1String(kStaticPointsKey),
                   QLatin1String(kFlightPointsKey), QLatin1String(kLengthKey)},
                  p.entryValues) ||
      !read.Words("tie_breaks", {QStringLiteral("next-best"), QStringLiteral("fly-off")},
                  p.tieBreaks) ||
      !read.Words("classes", {}, p.classes)) {
    if (source.isEmpty() && !read.failure.Failed())
      return Fail(error, FieldFailure(path, QStringLiteral("source"), QStringLiteral("missing")));
    return Fail(error, read.failure.Failed() ? read.failure : readSource.failure);
  }
  if (p.countBest > p.rounds) return Fail(error, FieldFailure(path, QStringLiteral("best"), QString::number(p.countBest)));
  p.score = static_cast<ScoreKind>(kScoreKinds.indexOf(score));
  p.lowerIsBetter = order == QLatin1String("lowest");
  p.target = target == QLatin1String("predicted") ? TargetFrom::Entry
             : (target == QLatin1String("set") || target == QLatin1String("random"))
                 ? TargetFrom::Event
                 : TargetFrom::None;
  if (p.score == ScoreKind::Precision && p.target == TargetFrom::None)
    return Fail(error, FieldFailure(path, QStringLiteral("target"), QStringLiteral("none")));
  if (o.contains(QLatin1String("max_length_cm"))) {
    const double cap = o.value(QLatin1String("max_length_cm")).toDouble(-1);
    if (cap <= 0) return Fail(error, FieldFailure(path, QStringLiteral("max_length_cm"), Shown(o.value(QLatin1String("max_length_cm")))));
    p.maxLengthCm = cap;
  }

  const QJsonValue statuses = o.value(QLatin1String("statuses"));
  if (!statuses.isArray() || statuses.toArray().isEmpty())
    return Fail(error, FieldFailure(path, QStringLiteral("statuses"), Shown(statuses)));
  for (const QJsonValue& v : statuses.toArray()) {
    const QJsonObject so = v.toObject();
    StatusRule s;
    s.id = so.value(QLatin1String("id")).toString();
    if (!kStatuses.contains(s.id) || p.Status(s.id))
      return Fail(error, FieldFailure(path, QStringLiteral("statuses.id"), Shown(so.value(QLatin1String("id")))));
    s.counts = so.value(QLatin1String("counts")).toBool(false);
    s.reflight = so.value(QLatin1String("reflight")).toBool(false);
    s.reason = so.value(QLatin1String("reason")).toBool(false);
    p.statuses.push_back(s);
  }
  const StatusRule* official = p.Status(QStringLiteral("official"));
  if (!official || !official->counts)
    return Fail(error, FieldFailure(path, QStringLiteral("statuses"), QStringLiteral("no official status that counts")));

  const QJsonValue team = o.value(QLatin1String("team"));
  if (team.isObject()) {
    Fields readTeam(team.toObject(), path);
    if (!readTeam.Int("best", p.teamBest, 1, 10) ||
        !readTeam.Choice("by", {QStringLiteral("nation"), QStringLiteral("club")}, p.teamBy))
      return Fail(error, readTeam.failure);
  } else if (!team.isUndefined() && !team.isNull()) {
    return Fail(error, FieldFailure(path, QStringLiteral("team"), Shown(team)));
  }

  const QJsonObject parameters = o.value(QLatin1String("parameters")).toObject();
  for (auto it = parameters.begin(); it != parameters.end(); ++it) {
    if (!kParameterKeys.contains(it.key()))
      return Fail(error, FieldFailure(path, QStringLiteral("parameters"), it.key()));
    const QJsonObject po = it.value().toObject();
    PackParameter param;
    param.key = it.key();
    if (po.contains(QLatin1String("min"))) param.min = po.value(QLatin1String("min")).toDouble();
    if (po.contains(QLatin1String("max"))) param.max = po.value(QLatin1String("max")).toDouble();
    for (const QJsonValue& c : po.value(QLatin1String("choices")).toArray()) param.choices << c.toString();
    if (param.key == QLatin1String("class")) param.choices = p.classes;
    p.parameters.push_back(param);
  }
  if (p.target == TargetFrom::Event && o.contains(QLatin1String("target_m")))
    p.targetM = o.value(QLatin1String("target_m")).toDouble();
  pack = std::move(p);
  return true;
}

bool ReadRulePack(const QString& path, RulePack& pack, Failure* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return Fail(error, Failure::System(FailureKind::OpenFile, QDir::toNativeSeparators(path),
                                       file.errorString()));
  return ParseRulePack(file.readAll(), path, pack, error);
}

bool ParseParameters(const QString& text, std::map<QString, QString>& parameters) {
  parameters.clear();
  if (text.isEmpty()) return true;
  for (const QString& pair : text.split(QLatin1Char(','))) {
    const qsizetype eq = pair.indexOf(QLatin1Char('='));
    if (eq <= 0 || eq + 1 == pair.size()) return false;
    parameters[pair.left(eq).trimmed()] = pair.mid(eq + 1).trimmed();
  }
  return true;
}

QString ParametersText(const std::map<QString, QString>& parameters) {
  QStringList pairs;
  for (const auto& [key, value] : parameters) pairs << key + QLatin1Char('=') + value;
  return pairs.join(QLatin1Char(','));
}

bool ApplyParameters(RulePack& pack, const std::map<QString, QString>& parameters,
                     Failure* error) {
  for (const auto& [key, value] : parameters) {
    const auto param = std::find_if(pack.parameters.begin(), pack.parameters.end(),
                                    [&](const PackParameter& p) { return p.key == key; });
    Failure bad = Failure::Of(FailureKind::EventParameter, {});
    bad.detail = pack.id;
    bad.found = key + QLatin1Char('=') + value;
    for (const PackParameter& p : pack.parameters) bad.names << p.key;
    if (param == pack.parameters.end()) return Fail(error, bad);
    bool number = false;
    const double d = value.toDouble(&number);
    if (!param->choices.isEmpty() ? !param->choices.contains(value)
                                  : (!number || (param->min && d < *param->min) ||
                                     (param->max && d > *param->max)))
      return Fail(error, bad);
    if (key == QLatin1String("rounds")) pack.rounds = static_cast<int>(d);
    else if (key == QLatin1String("best")) pack.countBest = static_cast<int>(d);
    else if (key == QLatin1String("flights_per_round")) pack.flightsPerRound = static_cast<int>(d);
    else if (key == QLatin1String("target")) pack.targetM = d;
    else if (key == QLatin1String("max_length_cm")) pack.maxLengthCm = d;
    else if (key == QLatin1String("class")) pack.eventClass = value;
    else if (key == QLatin1String("target_mode"))
      pack.target = value == QLatin1String("predicted") ? TargetFrom::Entry : TargetFrom::Event;
  }
  // What the parameters leave must still be a rule.
  if (pack.countBest > pack.rounds) pack.countBest = pack.rounds;
  if (pack.target == TargetFrom::Entry && !pack.entryValues.contains(QLatin1String(kTargetKey)))
    pack.entryValues << QLatin1String(kTargetKey);
  if (pack.target == TargetFrom::Event) pack.entryValues.removeAll(QLatin1String(kTargetKey));
  return true;
}

QString RulePackFolder() {
  const QString exe = ExecutablePath();
  if (exe.isEmpty()) return {};
  const QDir exeDir = QFileInfo(exe).absoluteDir();
  for (const QString& folder : {QStringLiteral("rules"), QStringLiteral("../rules"),
                                QStringLiteral(HYPSOR_RULES_FROM_BINDIR)}) {
    const QFileInfo info(QDir::cleanPath(exeDir.filePath(folder)));
    if (info.isDir() && QFileInfo(info.filePath() + QStringLiteral("/best-of.json")).isFile())
      return info.absoluteFilePath();
  }
  return {};
}

bool LoadRulePacks(const QString& folder, std::map<QString, RulePack>& packs, Failure* error) {
  packs.clear();
  std::map<QString, RulePack> read;
  const QDir dir(folder);
  if (folder.isEmpty() || !dir.exists())
    return Fail(error, Failure::Of(FailureKind::NotAFolder, QDir::toNativeSeparators(folder)));
  for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
    RulePack pack;
    if (!ReadRulePack(dir.filePath(name), pack, error)) return false;
    if (pack.id + QStringLiteral(".json") != name)
      return Fail(error, FieldFailure(dir.filePath(name), QStringLiteral("id"), pack.id));
    read[pack.id] = std::move(pack);
  }
  packs = std::move(read);
  return true;
}

RulePack OpenEventPack() {
  RulePack p;
  p.id = QStringLiteral("best-of");
  p.title = QStringLiteral("Best flight");
  p.document = QStringLiteral("Hypsor");
  p.edition = QStringLiteral("-");
  p.ruleNumbers = QStringLiteral("-");
  p.rounds = 1;
  p.flightsPerRound = 0;
  p.countBest = 1;
  // As the folder was ranked before events: equal best flights share their place.
  p.tieBreaks = {QStringLiteral("fly-off")};
  p.statuses = {{QStringLiteral("official"), true, false, false},
                {QStringLiteral("no-data"), false, true, false},
                {QStringLiteral("attempt"), false, true, false},
                {QStringLiteral("dq"), false, false, true},
                {QStringLiteral("withdrawn"), false, false, false}};
  return p;
}

}  // namespace hypsor
