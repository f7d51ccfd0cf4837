#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace r5 {

// Where a program keeps its files.
//
// Run from a build tree or from a copy the user can write to, a program works in its working
// folder and keeps its "beside the program" files in its own folder, as it always has
// (portable use, the tests). Run installed (from the bin folder of an installed suite, or from
// a folder it cannot write to), it keeps those files in its per-user data folder instead, and
// when it was started in the home folder, the root folder, its own folder or a folder it
// cannot write to (a start from the menu or by another program) it also works there. An
// installed program started from a shell in a writable folder of the user's choice works in
// that folder.
struct Folders
{
    QString working;     // what the program's relative paths ("cfg/SETUP.INI", "./log") resolve to
    QString application; // the program's own folder for the files it keeps beside itself
    bool perUserWorking = false;
};

struct FolderFacts
{
    QString programDir; // the folder that holds the program file
    QString currentDir; // the working folder at start
    QString homeDir;
    QString perUserDir;       // the program's per-user data folder
    bool fromInstall = false; // the installed suite's marker is beside the program
    std::function<bool(const QString &)> writable;
};

Folders chooseFolders(const FolderFacts &facts);

// The name of the suite's folder in the per-user data location ("~/.local/share/NAME",
// "%LOCALAPPDATA%\NAME" on Windows).
QString suiteFolderName();

// Gathers the facts for `program`, chooses its folders, creates the per-user folder (with
// `subfolders` inside it) when it is used as the working folder, and makes the chosen working
// folder current. Call once at start, before anything opens a relative path.
Folders settleFolders(const QString &program, const QStringList &subfolders = {});

// As settleFolders, but the current folder stays where the program was started: for a
// command-line program, whose arguments name files relative to it.
Folders findFolders(const QString &program, const QStringList &subfolders = {});

} // namespace r5
