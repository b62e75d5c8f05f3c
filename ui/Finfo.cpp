#include "ui/Finfo.h"

#include <QFont>
#include <QLabel>

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

TFoInfo::TFoInfo(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Hypsor"));
  setGeometry(460, 384, 339, 283);
  setModal(true);
  Label6 = MakeLabel(this, QStringLiteral("Ver. 08.2010"), {80, 16, 168, 27},
                     QStringLiteral("Courier New"), 24, true);
  Label1 = MakeLabel(this, QStringLiteral("Hypsor"), {104, 64, 125, 43},
                     QStringLiteral("Times New Roman"), 37, true, true);
  Label1->setStyleSheet(QStringLiteral("color: #800000"));
  Label2 = MakeLabel(this, QStringLiteral("Polska"), {136, 112, 58, 23},
                     QStringLiteral("Times New Roman"), 21);
  Label3 = MakeLabel(this, QStringLiteral("www.hypsor.example"), {96, 144, 137, 21},
                     QStringLiteral("Times New Roman"), 19);
  Label4 = MakeLabel(this, QStringLiteral("e-mail: info@hypsor.example"), {48, 176, 227, 23},
                     QStringLiteral("Times New Roman"), 21);
  Label5 = MakeLabel(this, QStringLiteral("tel: +48 12 000 00 00"), {88, 208, 165, 23},
                     QStringLiteral("Times New Roman"), 21);
}

}  // namespace hypsor
