// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/InfoWindow.h"

#include <QFont>
#include <QLabel>

#include "platform/Licence.h"
#include "platform/Version.h"

namespace hypsor {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, const QString& family,
                  int pixelSize, bool bold = false, bool italic = false) {
  auto* l = new QLabel(text, parent);
  QFont f(family);
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  f.setItalic(italic);
  l->setFont(f);
  // The designed boxes are tight; let a wider substitute face use the window's width.
  geometry.setLeft(std::max(4, geometry.left() - 30));
  geometry.setWidth(std::min(331 - geometry.left(), geometry.width() + 60));
  l->setGeometry(geometry);
  l->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  return l;
}

}  // namespace

InfoWindow::InfoWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("infoWindow"));
  setWindowTitle(QStringLiteral("Hypsor"));
  setGeometry(460, 384, 339, 283);
  setModal(true);
  versionLabel_ = MakeLabel(this, QStringLiteral("Ver. 08.2010"), {80, 16, 168, 27},
                            QStringLiteral("Courier New"), 24, true);
  versionLabel_->setObjectName(QStringLiteral("versionLabel"));
  nameLabel_ = MakeLabel(this, QStringLiteral("Hypsor"), {104, 64, 125, 43},
                         QStringLiteral("Times New Roman"), 37, true, true);
  nameLabel_->setObjectName(QStringLiteral("nameLabel"));
  nameLabel_->setStyleSheet(QStringLiteral("color: #800000"));
  countryLabel_ = MakeLabel(this, QStringLiteral("Polska"), {136, 112, 58, 23},
                            QStringLiteral("Times New Roman"), 21);
  countryLabel_->setObjectName(QStringLiteral("countryLabel"));
  webLabel_ = MakeLabel(this, QStringLiteral("www.hypsor.example"), {96, 144, 137, 21},
                        QStringLiteral("Times New Roman"), 19);
  webLabel_->setObjectName(QStringLiteral("webLabel"));
  mailLabel_ = MakeLabel(this, QStringLiteral("e-mail: info@hypsor.example"), {48, 176, 227, 23},
                         QStringLiteral("Times New Roman"), 21);
  mailLabel_->setObjectName(QStringLiteral("mailLabel"));
  phoneLabel_ = MakeLabel(this, QStringLiteral("tel: +48 12 000 00 00"), {88, 208, 165, 23},
                          QStringLiteral("Times New Roman"), 21);
  phoneLabel_->setObjectName(QStringLiteral("phoneLabel"));
  // Below the contact lines: the program's own version and the licence it is distributed under,
  // an identifier that reads the same in both languages.
  licenceLabel_ = MakeLabel(this,
                            QStringLiteral("Hypsor %1 \u00b7 %2")
                                .arg(ProgramVersion(), QLatin1String(kLicenceId)),
                            {48, 246, 227, 20}, QStringLiteral("Times New Roman"), 15);
  licenceLabel_->setObjectName(QStringLiteral("licenceLabel"));
  licenceLabel_->setToolTip(QString::fromLatin1(kLicenceNotice).trimmed());
}

}  // namespace hypsor
