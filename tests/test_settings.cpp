#include <gtest/gtest.h>
#include "files/SettingsFile.h"
TEST(Settings, Placeholder) { EXPECT_EQ(hypsor::DefaultSettings().PortIndex, 4); }
