// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <optional>

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace hypsor::cli {

// The options of one hypsor-cli command, read by QCommandLineParser, so that every command has
// the same manners: "--name VALUE" or "--name=VALUE", "--" ends the options, "-h"/"--help" prints
// the command's usage, and every usage error is one line on standard error with exit status 1.
//
//   CommandOptions o("info", "FILE [--filter ...]", "Prints the header fields of a flight file.");
//   o.AddPositional("FILE", "flight file to read");
//   o.AddFlag("filter", "smooth the curve first");
//   if (const auto status = o.Parse(args, out, err)) return *status;
//   ... o.Positional()[0], o.IsSet("filter") ...
class CommandOptions {
 public:
  // command: the name after hypsor-cli ("info"); synopsis: what follows it on the usage line
  // (empty: "[options]" and the positional arguments); description: one or two sentences.
  CommandOptions(QString command, QString synopsis, const QString& description);

  // Declares --name (a one-letter name is also -n).
  void AddFlag(const QString& name, const QString& description);
  // Declares --name VALUE; it may be given more than once (Values()).
  void AddValue(const QString& name, const QString& valueName, const QString& description);
  // Declares the next positional argument; the optional ones come last. A repeated one (the
  // last) takes every further argument, while options may still follow it.
  void AddPositional(const QString& name, const QString& description, bool required = true,
                     bool repeated = false);
  // Positional arguments past the declared ones are accepted (the top level's command and its
  // arguments); options after the first positional argument are left to it.
  void StopAtFirstPositional();
  // Text printed after the options and arguments in --help.
  void AppendHelp(const QString& text);

  // Reads the arguments that follow the command's name. Returns nothing when the command goes
  // on; otherwise its exit status: 0 after printing the help to out, 1 after a usage error
  // (one line on err).
  std::optional<int> Parse(const QStringList& args, QTextStream& out, QTextStream& err);

  bool IsSet(const QString& name) const;
  QString Value(const QString& name) const;  // the last one given
  QStringList Values(const QString& name) const;
  QStringList Positional() const;

  // The option's value as a whole number by the program's one integer rule. Leaves into alone
  // when the option is absent; a value that is no whole number is a usage error (one line on
  // err, false).
  bool ReadInteger(const QString& name, std::int32_t& into, QTextStream& err) const;

  // A usage error found by the command itself: one line on err; returns the exit status 1.
  int Fail(QTextStream& err, const QString& problem) const;

  QString HelpText() const;

 private:
  QString command_, synopsis_, appendix_;
  QString defaultSynopsis_ = QStringLiteral("[options]");
  QCommandLineParser parser_;
  QStringList positionalNames_;
  int requiredPositionals_ = 0;
  bool open_ = false;      // StopAtFirstPositional
  bool repeated_ = false;  // the last positional argument takes the rest
};

}  // namespace hypsor::cli
