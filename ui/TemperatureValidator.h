// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QValidator>

namespace hypsor {

// The typing rule of the temperature fields for text that arrives whole (pasted or dropped):
// minus signs and ASCII digits, a digit only among the first three characters, as typing allows.
class TemperatureValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*pos*/) const override {
    for (qsizetype i = 0; i < input.size(); ++i) {
      const QChar c = input.at(i);
      if (c == QLatin1Char('-')) continue;
      if (c.unicode() < '0' || c.unicode() > '9' || i >= 3) return Invalid;
    }
    return Acceptable;
  }
};

}  // namespace hypsor
