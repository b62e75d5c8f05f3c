// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QString>

namespace hypsor {

class FlightWorkspace;

// The names the file dialogs suggest, so that a saved file says what it holds.

// A name any file system takes, from a text such as a contest's name: the characters a file
// name cannot hold become '_'; empty stays empty.
QString FileNameFrom(const QString& text);
// The folder of a file's path; empty for an empty path.
QString FolderOf(const QString& path);
// The main flight's name without its extension: its file's, else (an unsaved download) the
// kept-download name of its competitor, serial and `when`; "hypsor" without a flight.
QString FlightBaseName(const FlightWorkspace& workspace, const QDateTime& when);

}  // namespace hypsor
