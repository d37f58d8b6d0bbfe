#pragma once
// Durable, careful operations on the program's own files. A rename or a removal is followed by
// a sync of its folder (otherwise a power cut can bring back the old name), a rename never
// replaces a file that is already there, and a path taken from a database or a folder listing
// is checked to lie inside the folder it belongs to (after symbolic links) before it is used.
//
// Everything here returns false or throws DbError with a Croatian description; nothing here
// shows a window.

#include <QByteArray>
#include <QString>

namespace kl {

// fsync of a folder (its entries) and of a file (its data). A folder or file that cannot be
// opened is not an error (it may already be gone); a failing fsync throws DbError (IoError).
void syncFolder(const QString& folder);
void syncFile(const QString& path);

// Renames `from` to `to` only when nothing exists at `to` (renameat2 with RENAME_NOREPLACE;
// link+unlink on file systems without it), then syncs the folders of both. Returns false when
// `to` exists or `from` does not; throws DbError on any other failure.
bool renameNoReplace(const QString& from, const QString& to);

// Removes a file (a missing one is fine) and syncs its folder. Returns false when it exists but
// cannot be removed.
bool removeDurably(const QString& path);

// Writes `bytes` into a new file at `path` (never over an existing one: false then): written
// under a temporary name beside it with mode 0600, synced, linked into place, folder synced.
bool writeNewFileDurably(const QString& path, const QByteArray& bytes);

// Makes a folder readable by its owner only (0700); an existing folder keeps its mode. Returns
// false when it cannot be made.
bool makePrivateFolder(const QString& path);

// True when `path` resolves (after symbolic links, `..` and `.`) to `folder` itself or to
// something inside it. A path that does not exist yet is judged by its resolved parent; a
// symbolic link at the last component is never inside (it could point anywhere later).
bool isInsideFolder(const QString& folder, const QString& path);

// SHA-256 of a file's content as lower-case hex; empty when it cannot be read.
QString fileSha256(const QString& path);

}  // namespace kl
