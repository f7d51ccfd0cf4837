#pragma once

#include "linereader.h"
#include "r5/clock.h"
#include "r5cli/cliargs.h"

#include <QObject>
#include <QTextStream>
#include <QTimer>
#include <memory>

namespace r5site {
class SiteCheck;
class SiteScan;
} // namespace r5site

namespace r5cli {

// site FILE: watches the list's devices for the duration (or until each has answered once, at
// most three intervals), then prints the table or the JSON. Each change of state is a line of
// the day's log.
class SiteRun : public QObject
{
    Q_OBJECT
public:
    SiteRun(const Args &args, r5::Clock &clock, QTextStream &out, QTextStream &err);
    ~SiteRun() override;

    void setLogFolder(const QString &folder) { m_log.setFolder(folder); }
    void start();
    void interrupt();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void end(int interruptedCode = -1);
    void fail(int code, const QString &field, const QString &message);

    Args m_args;
    r5::Clock &m_clock;
    QTextStream &m_out;
    QTextStream &m_err;
    DayLog m_log;
    std::unique_ptr<r5site::SiteCheck> m_check;
    QTimer m_limit;
    bool m_ended = false;
};

// scan RANGE: asks every address of the range for a status report and lists those that answer.
class ScanRun : public QObject
{
    Q_OBJECT
public:
    ScanRun(const Args &args, QTextStream &out, QTextStream &err);
    ~ScanRun() override;

    void start();
    void interrupt();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void end(int code);
    void fail(int code, const QString &field, const QString &message);

    Args m_args;
    QTextStream &m_out;
    QTextStream &m_err;
    std::unique_ptr<r5site::SiteScan> m_scan;
    bool m_ended = false;
};

// Runs site or scan on the event loop and returns the exit code.
int runSiteCommand(const Args &args, QTextStream &out, QTextStream &err);

} // namespace r5cli
