#pragma once
// Where the program keeps its data (the program folder) and where its user guide lies. No
// widgets: the choice is made from plain inputs, so it can be tested without starting the
// program.
//
// - KNJIGE_LUMEN_DIR (environment), when set, names the program folder in every case;
// - an installed program keeps its data in ~/KnjigeLumen: one in the compiled-in installation
//   folder (/usr/bin), one whose folder lies in the package's layout (a bin/ folder beside
//   share/doc/knjigelumen: the package installed under another root, as the package check
//   unpacks it), and one started from a folder it may not write;
// - otherwise (the portable case: a copy in a folder of the user's own, as ./run puts it) the
//   data lie beside the executable.

#include <QString>
#include <QStringList>

namespace kl {

struct ProgramFolderInputs {
    QString executableFolder;      // the folder of the running executable (canonical)
    QString installedBinFolder;    // the folder the package installs the executable into
    bool installedLayout = false;  // the executable's folder is bin/ beside share/doc/knjigelumen
    QString environmentFolder;     // KNJIGE_LUMEN_DIR, empty when not set
    QString homeFolder;            // the user's home
    bool executableFolderWritable = true;
};

// The program folder for these inputs (absolute, cleaned).
QString chooseProgramFolder(const ProgramFolderInputs& in);

// The inputs of this process: its executable's folder, the compiled-in installation folder,
// the environment and the home folder.
ProgramFolderInputs currentProgramFolderInputs();

// Makes sure the program folder exists: a missing one is made readable by its owner only (0700),
// its missing parents as usual; an existing one is left as it is. False when it cannot be made.
bool ensureProgramFolder(const QString& folder);

// The folders in which the user guide (prirucnik.md, with its pictures beside it) is looked for,
// in order: the installed documentation beside the executable's installation
// (<bin>/../share/doc/knjigelumen), the compiled-in documentation folder, the program folder,
// and the docs/ folder of the source tree the program was built from.
QStringList guideFolderCandidates(const QString& executableFolder, const QString& programFolder);

// The path of the guide: the first candidate folder that holds prirucnik.md; empty when none
// does.
QString findGuide(const QStringList& candidates);

}  // namespace kl
