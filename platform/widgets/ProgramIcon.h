// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>

namespace hypsor {

// The program's icon from the PNG sizes built into the executable. PNGs rather than the SVG
// source: reading an SVG needs an image plugin that a plain Qt installation may lack.
QIcon ProgramIcon();

// The sizes, in pixels, of the square PNGs the icon is made of (also the installed hicolor sizes).
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace hypsor
