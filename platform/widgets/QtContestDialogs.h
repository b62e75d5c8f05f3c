// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ContestDialogs.h"

namespace hypsor {

// The contest session dialog on Qt widgets: a folder field with a folder chooser beside it and
// a name field; the name of a folder already used is filled in when the folder is chosen.
class QtContestDialog : public ContestDialogService {
 public:
  std::optional<ContestChoice> AskContest(const ContestChoice& suggestion, int language) override;
};

// The system's print dialog (Qt Print Support).
class QtPrintService : public PrintService {
 public:
  bool Print(const QString& documentName,
             const std::function<void(QPagedPaintDevice&)>& paint) override;
};

}  // namespace hypsor
