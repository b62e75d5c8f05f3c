// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PdfFile.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>

#include "platform/AtomicFile.h"

namespace hypsor {

bool WriteA4Pdf(const QString& path, const QString& title, const QString& creator,
                const std::function<void(QPdfWriter&)>& paint, Failure* error) {
  if (!CheckSaveTarget(path, error)) return false;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(title);
    if (!creator.isEmpty()) writer.setCreator(creator);
    paint(writer);
  }
  buffer.close();
  return WriteFileAtomically(path, buffer.data(), error);
}

}  // namespace hypsor
