// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <vector>

#include <QFont>
#include <QHeaderView>
#include <QPointer>
#include <QStyle>

namespace hypsor {

// A table's row titles (sized to their contents with ResizeToContents). QHeaderView lays its
// titles out again at every layout pass (about twenty while the window first opens); here a
// title is laid out again only when its text, the font, the style or the screen's resolution
// has changed since.
class RowTitleHeader : public QHeaderView {
 public:
  explicit RowTitleHeader(QWidget* parent = nullptr) : QHeaderView(Qt::Vertical, parent) {
    // As the table view's own row header.
    setSectionsClickable(true);
    setHighlightSections(true);
  }

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override {
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString()
                                 : QString();
    if (logicalIndex >= static_cast<int>(measured_.size()))
      measured_.resize(static_cast<std::size_t>(logicalIndex) + 1);
    Measured& m = measured_[static_cast<std::size_t>(logicalIndex)];
    const int dpi = logicalDpiY();
    if (!m.size.isValid() || m.text != text || m.font != font() || m.style != style() ||
        m.dpi != dpi)
      m = {text, font(), style(), dpi, QHeaderView::sectionSizeFromContents(logicalIndex)};
    return m.size;
  }

 private:
  struct Measured {
    QString text;
    QFont font;
    QPointer<QStyle> style;
    int dpi;
    QSize size;
  };
  mutable std::vector<Measured> measured_;
};

}  // namespace hypsor
