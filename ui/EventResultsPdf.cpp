// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EventResultsPdf.h"

#include <QPdfWriter>
#include <QTextDocument>

#include "ui/PdfFile.h"

namespace hypsor {

bool WriteEventResultsPdf(const QString& path, const QString& title, const QByteArray& html,
                          Failure* error) {
  return WriteA4Pdf(path, title, {}, [&html](QPdfWriter& writer) {
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html));
    document.print(&writer);
  }, error);
}

}  // namespace hypsor
