#pragma once
// Start-up settling of what a program stopped mid-write (a crash, a power cut) left in the
// program folder: the journals beside the databases and the shared journals of work orders.
//
// A journal is a file SQLite trusts: opening its database read-write plays it back, and a
// shared journal it names is deleted afterwards. So every journal is read here first, without
// SQLite, and only one the program can have written is left to SQLite.

#include <QStringList>

namespace kl {

// Settles the program folder of the application context; runs at start, while no other copy of
// the program can be writing, before any database is opened.
//  - A journal SQLite no longer needs (empty, or its header zeroed) is removed.
//  - A hot journal of ours (a valid header, and a shared journal named only if it is a
//    "<database>.mdb-mj..." file of the program folder) is played back by opening its database.
//  - Any other hot journal (a garbage header, a shared journal outside the program folder or
//    not named like ours, a link or a folder in its place) is renamed to
//    "<name>-journal.sumnjiv-<yyyyMMdd-HHmmss>", never played back nor deleted, and reported.
//  - Shared journals that no remaining hot journal names are removed.
// Returns the Croatian messages for the clerk (empty when there is nothing to say).
QStringList settleInterruptedWrites();

}  // namespace kl
