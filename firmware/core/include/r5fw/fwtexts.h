#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The lines the firmware server and the follow-up of a download order write to the log, and
// the boxes of a server that cannot start. devsetup and r5200tx-cli say the same things.
namespace r5fw::text {

// Server.
QString listening(quint16 port, const QString &folder);
QString listeningAt(const QString &address, quint16 port, const QString &file);
QString alreadyRunning(quint16 port, const QString &folder);
QString homeDirEmpty();
QString homeDirMissing(const QString &folder);
QString homeDirNotFolder(const QString &folder);
QString homeDirRoot(const QString &folder);
QString portUnusable(quint16 port, const QString &reason);
QString sending(const QString &peer, const QString &method, const QString &name, qint64 first, qint64 length,
                qint64 size);
QString sent(const QString &peer, const QString &name, qint64 sent, qint64 size, qint64 ms);
QString brokenOffAt(const QString &peer, const QString &name, qint64 sent, qint64 length, qint64 ms,
                    const QString &why);
QString refusedLine(const QString &peer, const QString &method, const QString &target, int status,
                    const QString &why);
QString listSent(const QString &peer, int files);
QString moreGivenUp(int count, int seconds);

// Follow-up.
QString serverNotRunning();
QString otherPort(quint16 ownPort);
QString otherAddress(const QString &address);
QString notFollowed(const QString &address, quint16 port, const QString &name, const QString &why);
QString following(const QString &name, const std::optional<QString> &version);
QString noRequest(const QString &name, const QString &address, quint16 port, const QStringList &ownAddresses);
QString sentWaiting(const QString &name, qint64 seconds);
QString updated(const QString &before, const QString &after);
QString versionNow(const QString &after);
QString unchanged(const QString &version);
QString noAnswerAgain(qint64 seconds);
QString brokenOff(const QString &name, qint64 sent, qint64 length);
QString refusal(int status, const QString &why);
QString requestRefused(const QString &name, const QString &peer, const QString &refusal);

} // namespace r5fw::text
