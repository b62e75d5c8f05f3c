// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

class QWidget;

namespace hypsor {

// Runs work once, right after the window has first been shown and its first picture painted:
// for what that picture does not need, so the window appears sooner. Nothing runs while the
// window is never shown.
void AfterFirstPicture(QWidget& window, std::function<void()> work);

}  // namespace hypsor
