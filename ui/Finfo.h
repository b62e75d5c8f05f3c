#pragma once
#include <QDialog>

class QLabel;

namespace hypsor {

// The information window: the program's version and the maker's contact lines. Its texts are
// the same in both languages.
class TFoInfo : public QDialog {
  Q_OBJECT
 public:
  explicit TFoInfo(QWidget* parent = nullptr);

  QLabel* Label6;  // version
  QLabel* Label1;  // company
  QLabel* Label2;  // country
  QLabel* Label3;  // web address
  QLabel* Label4;  // e-mail
  QLabel* Label5;  // telephone
};

}  // namespace hypsor
