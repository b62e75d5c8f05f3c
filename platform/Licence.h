// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace hypsor {

// The licence of the programs, as --version states it after the version line. Plain text, so
// the simulator (which links no Qt) prints the same words.
inline constexpr char kLicenceId[] = "GPL-3.0-or-later";
inline constexpr char kLicenceNotice[] =
    "Licence GPL-3.0-or-later: GNU General Public License version 3 or later\n"
    "<https://www.gnu.org/licenses/gpl-3.0.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace hypsor
