// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

#include "platform/Failure.h"

namespace hypsor {

// An event's results page (EventResultsHtml) as an A4 PDF for the notice board, laid out by Qt's
// rich text, whole or not at all. The window and hypsor-cli results --pdf write it alike.
bool WriteEventResultsPdf(const QString& path, const QString& title, const QByteArray& html,
                          Failure* error);

}  // namespace hypsor
