// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Mnemonics.h"

#include <QAction>
#include <QActionEvent>
#include <QMenu>
#include <QMenuBar>

namespace hypsor {

namespace {

bool Usable(QChar c) {
  return c.unicode() < 128 && c.isLetterOrNumber();
}

QString Plain(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) {
      if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) out += text[++i];
      continue;
    }
    out += text[i];
  }
  return out;
}

// Watches the bar and its menus; reassigns a container's letters when its entries change.
class MnemonicKeeper : public QObject {
 public:
  explicit MnemonicKeeper(QMenuBar* bar) : QObject(bar) {
    Watch(bar);
    Assign(bar);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type t = event->type();
    if (!busy_ && (t == QEvent::ActionChanged || t == QEvent::ActionAdded ||
                   t == QEvent::ActionRemoved)) {
      if (auto* w = qobject_cast<QWidget*>(watched)) {
        // The entry is in place and its text set when the event comes.
        if (t == QEvent::ActionAdded)
          if (QMenu* sub = static_cast<QActionEvent*>(event)->action()->menu()) Watch(sub);
        Assign(w);
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Watch(QWidget* w) {
    w->installEventFilter(this);
    for (QAction* a : w->actions())
      if (QMenu* sub = a->menu()) Watch(sub);
  }
  void Assign(QWidget* w) {
    busy_ = true;
    QString taken;
    for (QAction* a : w->actions()) {
      if (a->isSeparator() || a->text().isEmpty()) continue;
      const QString text = WithMnemonic(a->text(), taken);
      if (text != a->text()) a->setText(text);
    }
    busy_ = false;
  }
  bool busy_ = false;
};

}  // namespace

QString WithMnemonic(const QString& text, QString& taken) {
  const QString plain = Plain(text);
  auto free = [&taken](QChar c) { return Usable(c) && !taken.contains(c.toLower()); };
  qsizetype at = -1;
  // First the starts of words, then any letter.
  for (qsizetype i = 0; i < plain.size() && at < 0; ++i)
    if ((i == 0 || !plain[i - 1].isLetterOrNumber()) && free(plain[i])) at = i;
  for (qsizetype i = 0; i < plain.size() && at < 0; ++i)
    if (free(plain[i])) at = i;
  QString escaped = plain;
  escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
  if (at < 0) return escaped;
  taken += plain[at].toLower();
  // The position in the escaped text: every "&" before it became two characters.
  const qsizetype shift = plain.left(at).count(QLatin1Char('&'));
  return escaped.insert(at + shift, QLatin1Char('&'));
}

void KeepMnemonics(QMenuBar* bar) {
  new MnemonicKeeper(bar);
}

}  // namespace hypsor
