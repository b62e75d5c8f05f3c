// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>

class QLabel;

namespace hypsor {

// The information window: the program's version and the maker's contact lines. Its texts are
// the same in both languages. Below them, the program's version and licence.
class InfoWindow : public QDialog {
  Q_OBJECT
 public:
  explicit InfoWindow(QWidget* parent = nullptr);

 private:
  QLabel* versionLabel_;  // version
  QLabel* nameLabel_;     // company
  QLabel* countryLabel_;  // country
  QLabel* webLabel_;      // web address
  QLabel* mailLabel_;     // e-mail
  QLabel* phoneLabel_;    // telephone
  QLabel* licenceLabel_;  // program version and licence
};

}  // namespace hypsor
