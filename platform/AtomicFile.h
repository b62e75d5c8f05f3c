// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringView>

#include "platform/Failure.h"

namespace hypsor {

enum class WriteFailure {
  None,
  NotRegularFile,  // the target exists and is a FIFO, device, socket or folder: left alone
  Failed,          // anything else (no permission, full disk, missing folder, ...)
  Exists,          // CreateFileAtomically only: the name is taken (by anything, even a link)
};

// Writes data durably and atomically. A target that is a symbolic link is followed and the file
// it points to is replaced; the link stays. A target that exists but is not a regular file is
// refused and left as it is. Otherwise the data goes to a hidden temporary file beside the target
// (see IsTemporarySaveName), is flushed to the disk, renamed over the target, and the folder is
// flushed too, so once this returns true the file survives a power cut; a failure or a kill at
// any point leaves an existing target whole. An existing target's permissions are kept.
// On failure returns false, puts what failed into *error (WriteFile or CreateFile, naming the
// file) and the kind of failure into *failure.
bool WriteFileAtomically(const QString& path, const QByteArray& data, Failure* error,
                         WriteFailure* failure = nullptr);

// Writes a new file durably and atomically, as WriteFileAtomically does, but never replaces
// anything: when the name exists (a file, a link, anything) it fails with WriteFailure::Exists,
// also when another writer takes the name at the same moment. No one ever sees the file partly
// written.
bool CreateFileAtomically(const QString& path, const QByteArray& data, Failure* error,
                          WriteFailure* failure = nullptr);

// The refusals of WriteFileAtomically that need no writing: a link loop, or a target that exists
// and is not a regular file. Lets a caller refuse before it spends time producing the data.
bool CheckSaveTarget(const QString& path, Failure* error);

// Waits until what has been written to the open file (and flushed) is on the disk.
bool SyncFile(QFileDevice& file);

// Whether a folder entry is one of the temporary files of WriteFileAtomically:
// ".NAME.tmp" followed by six letters or digits. A kill before the rename leaves one behind;
// code that lists a folder's flights skips them.
bool IsTemporarySaveName(QStringView fileName);

}  // namespace hypsor
