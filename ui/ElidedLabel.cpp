// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ElidedLabel.h"

namespace hypsor {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidedLabel::SetFullText(const QString& text) {
  full_ = text;
  setToolTip(text);
  Elide();
}

QSize ElidedLabel::sizeHint() const {
  // The room it is given, not the text's: the text follows the width, never the other way.
  return {fontMetrics().averageCharWidth() * 20, QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
  return {fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::Elide() {
  const int room = contentsRect().width() - 2 * margin() - 2;
  const QString shown = fontMetrics().elidedText(full_, Qt::ElideMiddle, std::max(room, 0));
  if (shown != text()) setText(shown);
}

}  // namespace hypsor
