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

// Renames the folder `from` to `to` only when nothing exists at `to`, then syncs the parent
// folders. Where the file system refuses RENAME_NOREPLACE (EINVAL or ENOSYS: FUSE file systems
// such as exFAT or NTFS drivers in user space, some network shares) and hard links do not exist
// either (FAT, exFAT), the name is first taken with mkdir, which fails when anything at all is
// there, and `from` is renamed over that empty folder of our own: a rename replaces only an
// empty folder, and one that stopped being empty in between makes it fail (ENOTEMPTY), so nothing
// but the folder we just made is ever replaced. A kill between the two steps leaves that empty
// folder, which holds nothing to lose. Returns false when `to` exists or `from` does not; throws
// DbError on any other failure.
bool renameFolderNoReplace(const QString& from, const QString& to);

// Writes `bytes` into a new file at `path` with O_EXCL (never over anything), synced, then
// syncs its folder; for a folder of our own that nobody else writes to, on any file system (no
// hard link needed). A kill mid-write leaves a short file under `path`. False when it cannot be
// written.
bool writeNewFileInPlace(const QString& path, const QByteArray& bytes);

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

namespace testing {
// When true, renameFolderNoReplace acts as on a file system without RENAME_NOREPLACE.
extern bool noRenameNoReplace;
}  // namespace testing

}  // namespace kl
