#include "r5fw/fwtexts.h"

using namespace Qt::StringLiterals;

namespace r5fw::text {

namespace {

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 3) + u" s"_s;
}

} // namespace

QString listening(quint16 port, const QString &folder)
{
    return u"HTTP Server listening on every IPv4 interface at port %1, serving [%2]"_s.arg(port).arg(folder);
}

QString listeningAt(const QString &address, quint16 port, const QString &file)
{
    return u"HTTP Server listening at %1:%2, serving [%3]"_s.arg(address).arg(port).arg(file);
}

QString alreadyRunning(quint16 port, const QString &folder)
{
    return u"HTTP Server already running at port %1, serving [%2]: nothing new started"_s.arg(port).arg(
        folder);
}

QString homeDirEmpty()
{
    return u"HTTP Server not started: Home Dir is empty ([HTTPServer] HomeDir in the configuration file)"_s;
}

QString homeDirMissing(const QString &folder)
{
    return u"HTTP Server not started: the Home Dir [%1] does not exist"_s.arg(folder);
}

QString homeDirNotFolder(const QString &folder)
{
    return u"HTTP Server not started: the Home Dir [%1] is not a folder"_s.arg(folder);
}

QString homeDirRoot(const QString &folder)
{
    return u"HTTP Server not started: the Home Dir [%1] is the root of a disk; name the firmware folder"_s
        .arg(folder);
}

QString portUnusable(quint16 port, const QString &reason)
{
    return u"HTTP Server not started: port %1 cannot be used (%2)"_s.arg(port).arg(reason);
}

QString sending(const QString &peer, const QString &method, const QString &name, qint64 first, qint64 length,
                qint64 size)
{
    const QString what = length == size ? u"%1 bytes"_s.arg(size)
                                        : u"bytes %1-%2 of %3"_s.arg(first).arg(first + length - 1).arg(size);
    return u"HTTP %1: %2 %3, %4"_s.arg(peer, method, name, what);
}

QString sent(const QString &peer, const QString &name, qint64 sentBytes, qint64 size, qint64 ms)
{
    return u"HTTP %1: %2 sent, %3 of %4 bytes in %5"_s.arg(peer, name)
        .arg(sentBytes)
        .arg(size)
        .arg(seconds(ms));
}

QString brokenOffAt(const QString &peer, const QString &name, qint64 sentBytes, qint64 length, qint64 ms,
                    const QString &why)
{
    return u"HTTP %1: %2 broken off after %3 of %4 bytes in %5 (%6)"_s.arg(peer, name)
        .arg(sentBytes)
        .arg(length)
        .arg(seconds(ms), why);
}

QString refusedLine(const QString &peer, const QString &method, const QString &target, int status,
                    const QString &why)
{
    return u"HTTP %1: refused %2 %3 (%4, %5)"_s.arg(peer, method, target).arg(status).arg(why);
}

QString listSent(const QString &peer, int files)
{
    return u"HTTP %1: file list sent (%2 files)"_s.arg(peer).arg(files);
}

QString moreGivenUp(int count, int secondsFolded)
{
    return u"HTTP: %1 more connections closed in %2 s before their header was whole (slow or idle peers)"_s
        .arg(count)
        .arg(secondsFolded);
}

QString serverNotRunning()
{
    return u"the HTTP Server is not running here"_s;
}

QString otherPort(quint16 ownPort)
{
    return u"the HTTP Server here serves port %1"_s.arg(ownPort);
}

QString otherAddress(const QString &address)
{
    return u"%1 is not an address of this PC"_s.arg(address);
}

QString notFollowed(const QString &address, quint16 port, const QString &name, const QString &why)
{
    return u"Firmware download from http://%1:%2/%3 cannot be followed from here: %4"_s.arg(address)
        .arg(port)
        .arg(name, why);
}

QString following(const QString &name, const std::optional<QString> &version)
{
    return u"Firmware download of %1 ordered; the device runs %2"_s.arg(
        name, version ? *version : u"a version not read yet"_s);
}

QString noRequest(const QString &name, const QString &address, quint16 port, const QStringList &ownAddresses)
{
    return u"No firmware request for %1 reached the HTTP Server in 30 s: check the order's address %2 "
           u"against "
           "this PC's addresses (%3), the port %4 against the HTTP Server's, and that the firewall lets port %4 in"_s
               .arg(name, address, ownAddresses.join(u", "_s))
               .arg(port);
}

QString sentWaiting(const QString &name, qint64 secondsToWait)
{
    return u"Firmware %1 sent whole; waiting up to %2 s for the device to answer again"_s.arg(name).arg(
        secondsToWait);
}

QString updated(const QString &before, const QString &after)
{
    return u"Firmware updated: %1 → %2"_s.arg(before, after);
}

QString versionNow(const QString &after)
{
    return u"Firmware updated: the device now runs %1"_s.arg(after);
}

QString unchanged(const QString &version)
{
    return u"Firmware unchanged: %1"_s.arg(version);
}

QString noAnswerAgain(qint64 secondsWaited)
{
    return u"Firmware sent, but the device did not answer again within %1 s"_s.arg(secondsWaited);
}

QString brokenOff(const QString &name, qint64 sentBytes, qint64 length)
{
    return u"Firmware download of %1 broken off: %2 of %3 bytes sent"_s.arg(name).arg(sentBytes).arg(length);
}

QString refusal(int status, const QString &why)
{
    return u"%1, %2"_s.arg(status).arg(why);
}

QString requestRefused(const QString &name, const QString &peer, const QString &refusal)
{
    return u"Firmware request for %1 from %2 reached the HTTP Server and was refused (%3)"_s.arg(name, peer,
                                                                                                 refusal);
}

} // namespace r5fw::text
