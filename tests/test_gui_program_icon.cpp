// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon loads without any image plugin and the main window carries it.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

#include "platform/widgets/ProgramIcon.h"
#include "tests/support/MainWindowFixture.h"

namespace {

TEST(ProgramIcon, EverySizeLoadsAndTheMainWindowCarriesIt) {
  const QIcon icon = hypsor::ProgramIcon();
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  for (const int s : hypsor::kProgramIconSizes) {
    EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
    const QPixmap pixmap = icon.pixmap(QSize(s, s));
    EXPECT_EQ(pixmap.size(), QSize(s, s)) << s;
    // The curve's red shows at every size: the file is the icon, not an empty image.
    const QImage image = pixmap.toImage();
    bool red = false;
    for (int y = 0; y < image.height() && !red; ++y)
      for (int x = 0; x < image.width() && !red; ++x) {
        const QColor c = image.pixelColor(x, y);
        red = c.red() > 150 && c.green() < 80 && c.blue() < 80;
      }
    EXPECT_TRUE(red) << s;
  }

  hypsor::test::MainWindowFixture f;
  f.Create();
  EXPECT_FALSE(f.Window().windowIcon().isNull());
  EXPECT_FALSE(f.Window().windowIcon().availableSizes().isEmpty());
}

}  // namespace
