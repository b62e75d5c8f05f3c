// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

#include <QString>

#include "platform/Failure.h"

class QPdfWriter;

namespace hypsor {

// Writes an A4 PDF (300 dpi, 15 mm margins) that paint fills, whole or not at all: the pages are
// made in memory and the file replaced atomically. The creator may be empty.
bool WriteA4Pdf(const QString& path, const QString& title, const QString& creator,
                const std::function<void(QPdfWriter&)>& paint, Failure* error);

}  // namespace hypsor
