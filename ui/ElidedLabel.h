// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLabel>

namespace hypsor {

// A one-line label that takes the room it is given and shows as much of its text as fits, with
// an ellipsis where it is cut; the whole text is its tooltip.
class ElidedLabel : public QLabel {
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);
  void SetFullText(const QString& text);
  const QString& FullText() const { return full_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString full_;
};

}  // namespace hypsor
