#include "r5/workfolders.h"

#include "workfolders_p.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace r5 {

namespace {

bool sameFolder(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && QDir::cleanPath(a) == QDir::cleanPath(b);
}

} // namespace

Folders chooseFolders(const FolderFacts &facts)
{
    const bool installed = facts.fromInstall || !facts.writable(facts.programDir);
    if (!installed)
        return {facts.currentDir, facts.programDir, false};
    // Started beside itself: a Windows menu shortcut starts a program in its install folder,
    // which an administrator can write to but a program must not fill.
    const bool startedAside =
        sameFolder(facts.currentDir, facts.homeDir) || sameFolder(facts.currentDir, facts.programDir) ||
        sameFolder(facts.currentDir, QDir::rootPath()) || !facts.writable(facts.currentDir);
    if (startedAside)
        return {facts.perUserDir, facts.perUserDir, true};
    return {facts.currentDir, facts.perUserDir, false};
}

QString suiteFolderName()
{
    return u"r5200txtools"_s;
}

Folders findFolders(const QString &program, const QStringList &subfolders)
{
    FolderFacts facts;
    facts.programDir = QCoreApplication::applicationDirPath();
    facts.currentDir = QDir::currentPath();
    facts.homeDir = QDir::homePath();
    facts.perUserDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
                       suiteFolderName() + u'/' + program;
    // An installed suite leaves a marker the portable copy lacks: on Linux its description in
    // the data folder beside bin/, on Windows a file beside the programs.
    facts.fromInstall = QFileInfo::exists(QDir(facts.programDir).filePath(QStringLiteral(R5_INSTALL_MARKER)));
    facts.writable = detail::canCreateIn;

    const Folders folders = chooseFolders(facts);
    if (folders.application == facts.perUserDir || folders.perUserWorking) {
        QDir dir;
        dir.mkpath(facts.perUserDir);
        if (folders.perUserWorking) {
            for (const QString &sub : subfolders)
                dir.mkpath(QDir(facts.perUserDir).filePath(sub));
        }
    }
    return folders;
}

Folders settleFolders(const QString &program, const QStringList &subfolders)
{
    const Folders folders = findFolders(program, subfolders);
    if (!sameFolder(folders.working, QDir::currentPath()))
        QDir::setCurrent(folders.working);
    return folders;
}

} // namespace r5
