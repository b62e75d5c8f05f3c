// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandOptions.h"

#include "cli/Commands.h"
#include "files/IntegerText.h"

namespace hypsor::cli {

namespace {

const QString kHelp = QStringLiteral("help");

// Qt's sentence ("Missing value after '--out'.") as the middle of our one line.
QString AsClause(QString sentence) {
  if (sentence.endsWith(QLatin1Char('.'))) sentence.chop(1);
  if (!sentence.isEmpty()) sentence[0] = sentence[0].toLower();
  return sentence;
}

// The option as the user typed it: Qt reports "-lead.hyp" and "--lead.hyp" both as 'lead.hyp'.
QString AsTyped(const QStringList& args, const QString& name) {
  for (const QString& a : args) {
    if (a == QLatin1String("--")) break;
    const QString bare = a.startsWith(QLatin1String("--")) ? a.mid(2) : a.mid(1);
    if (a.startsWith(QLatin1Char('-')) && bare.section(QLatin1Char('='), 0, 0) == name)
      return a.section(QLatin1Char('='), 0, 0);
  }
  return QStringLiteral("--") + name;
}

// Text in lines of at most 80 columns (as Qt wraps the options), broken at blanks; the lines after
// the first are indented by indent blanks.
QString Wrapped(const QString& text, qsizetype indent) {
  constexpr qsizetype kWidth = 80;
  QString out, line;
  for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    if (!line.trimmed().isEmpty() && line.size() + 1 + word.size() > kWidth) {
      out += line + QLatin1Char('\n');
      line = QString(indent, QLatin1Char(' '));
    }
    if (!line.trimmed().isEmpty()) line += QLatin1Char(' ');
    line += word;
  }
  return out + line;
}

}  // namespace

CommandOptions::CommandOptions(QString command, QString synopsis, const QString& description)
    : command_(std::move(command)), synopsis_(std::move(synopsis)) {
  // "-port x" is --port, not -p -o -r -t; a lone "-" is an argument (standard output).
  parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser_.setApplicationDescription(Wrapped(description, 0));
  parser_.addOption({{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help.")});
}

void CommandOptions::AddFlag(const QString& name, const QString& description) {
  parser_.addOption({name, description});
}

void CommandOptions::AddValue(const QString& name, const QString& valueName,
                              const QString& description) {
  parser_.addOption({name, description, valueName});
}

void CommandOptions::AddPositional(const QString& name, const QString& description, bool required,
                                   bool repeated) {
  QString syntax = required ? name : QLatin1Char('[') + name + QLatin1Char(']');
  if (repeated) syntax += QStringLiteral("...");
  repeated_ = repeated;
  parser_.addPositionalArgument(name, description, syntax);
  positionalNames_.append(name);
  defaultSynopsis_ += QLatin1Char(' ') + syntax;
  if (required) requiredPositionals_ = static_cast<int>(positionalNames_.size());
}

void CommandOptions::StopAtFirstPositional() {
  parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  open_ = true;
}

void CommandOptions::AppendHelp(const QString& text) {
  appendix_ += text;
}

std::optional<int> CommandOptions::Parse(const QStringList& args, QTextStream& out,
                                         QTextStream& err) {
  // The parser skips the first element as the program's name.
  if (!parser_.parse(QStringList{QStringLiteral("hypsor-cli")} + args)) {
    const QStringList unknown = parser_.unknownOptionNames();
    return Fail(err, unknown.isEmpty()
                         ? AsClause(parser_.errorText())
                         : QStringLiteral("unknown option '%1'").arg(AsTyped(args, unknown[0])));
  }
  if (parser_.isSet(kHelp)) {
    out << HelpText();
    return ExitOk;
  }
  const QStringList given = parser_.positionalArguments();
  if (given.size() < requiredPositionals_)
    return Fail(err, QStringLiteral("%1 missing").arg(positionalNames_[given.size()]));
  if (!open_ && !repeated_ && given.size() > positionalNames_.size())
    return Fail(err,
                QStringLiteral("unexpected argument '%1'").arg(given[positionalNames_.size()]));
  return std::nullopt;
}

bool CommandOptions::IsSet(const QString& name) const {
  return parser_.isSet(name);
}

QString CommandOptions::Value(const QString& name) const {
  return parser_.value(name);
}

QStringList CommandOptions::Values(const QString& name) const {
  return parser_.values(name);
}

QStringList CommandOptions::Positional() const {
  return parser_.positionalArguments();
}

bool CommandOptions::ReadInteger(const QString& name, std::int32_t& into, QTextStream& err) const {
  if (!parser_.isSet(name)) return true;
  const QString text = parser_.value(name);
  const std::optional<std::int32_t> value = ParseIntegerText(text);
  if (!value) {
    Fail(err, QStringLiteral("--%1 takes a whole number, not '%2'").arg(name, text));
    return false;
  }
  into = *value;
  return true;
}

int CommandOptions::Fail(QTextStream& err, const QString& problem) const {
  const QString who =
      command_.isEmpty() ? QStringLiteral("hypsor-cli") : QStringLiteral("hypsor-cli ") + command_;
  err << who << ": " << problem << " (see '" << who << " --help')\n";
  return ExitUsage;
}

QString CommandOptions::HelpText() const {
  // Qt's text names the executable as it was started and says "[options]": our first line
  // names the command as the user types it.
  const QString qt = parser_.helpText();
  QString usage = QStringLiteral("Usage: hypsor-cli ");
  if (!command_.isEmpty()) usage += command_ + QLatin1Char(' ');
  usage = Wrapped(usage + (synopsis_.isEmpty() ? defaultSynopsis_ : synopsis_), usage.size());
  return usage + QLatin1Char('\n') + qt.section(QLatin1Char('\n'), 1) + appendix_;
}

}  // namespace hypsor::cli
