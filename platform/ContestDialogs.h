// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>

#include <QString>

class QPagedPaintDevice;

namespace hypsor {

// What the contest session dialog asks for: a folder (new or existing) and the contest's name.
struct ContestChoice {
  QString folder;
  QString name;
};

// The contest session dialog. Returns nothing when the user cancelled. suggestion fills the
// fields; language picks the dialog's texts.
class ContestDialogService {
 public:
  virtual ~ContestDialogService() = default;
  virtual std::optional<ContestChoice> AskContest(const ContestChoice& suggestion,
                                                  int language) = 0;
};

// Printing through the system's print dialog: when the user accepts it, paint draws the pages
// on the chosen printer. Returns false when the user cancelled or nothing could be printed.
class PrintService {
 public:
  virtual ~PrintService() = default;
  virtual bool Print(const QString& documentName,
                     const std::function<void(QPagedPaintDevice&)>& paint) = 0;
};

}  // namespace hypsor
