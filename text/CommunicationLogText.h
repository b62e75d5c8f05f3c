// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>

namespace hypsor {

class CommunicationLog;

// The log as text, one entry a line, for a support request: in English whatever the language
// of the window, with the time in ms since the port was opened and the bytes in hexadecimal.
QByteArray CommunicationLogText(const CommunicationLog& log);

}  // namespace hypsor
