#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace r5 {

// The one seam for starting other programs and opening web pages. Programs get an argument
// list, never a shell string built by concatenation; nothing waits for what it starts.
class Launcher
{
public:
    virtual ~Launcher() = default;

    // Starts `program` detached in `workingDir` (empty: the current folder). True when it started.
    virtual bool startDetached(const QString &program, const QStringList &arguments,
                               const QString &workingDir = {}) = 0;

    // Starts `program` detached in `workingDir` with its output and errors appended to
    // `outputFile`, for a program that has no console window to show them. True when it started.
    virtual bool startDetachedToFile(const QString &program, const QStringList &arguments,
                                     const QString &workingDir, const QString &outputFile) = 0;

    // Opens a URL in the user's default handler (browser). True when handed over.
    virtual bool openUrl(const QUrl &url) = 0;

    // Full path of an executable found on PATH, or empty.
    virtual QString findExecutable(const QString &name) const = 0;
};

class SystemLauncher final : public Launcher
{
public:
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDir) override;
    bool startDetachedToFile(const QString &program, const QStringList &arguments, const QString &workingDir,
                             const QString &outputFile) override;
    bool openUrl(const QUrl &url) override;
    QString findExecutable(const QString &name) const override;
};

} // namespace r5
