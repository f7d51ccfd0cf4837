#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

// The devices of a site: read from a commissioning record (the newest row per MAC) or from a plain
// list with an Address column. Columns are found by their header names in either.
namespace r5site {

inline constexpr quint16 kDefaultPort = 4000;

struct SiteEntry
{
    QString label;   // empty when the list has none
    QString mac;     // empty when the list has none
    QString address; // a dotted IPv4 address (leading zeros dropped) or a host name
    quint16 port = kDefaultPort;
    int line = 0; // where the entry was read, 1-based
};

struct SiteList
{
    QList<SiteEntry> entries;
    // Empty when the list was read; otherwise "FILE: line N: reason".
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// A commissioning record (columns Time, MAC, WAN.IP, Server.Port and, where present, Label) gives
// the newest row of each MAC; any other CSV needs Address and may have Port (4000 when absent or
// empty), Label and MAC. `fileName` is only for the message. A row that names no address, an
// address or port that cannot be one, and the same address and port twice are errors: a site
// list that silently leaves a device out would report the site whole when it is not.
SiteList parseSiteList(QByteArrayView bytes, const QString &fileName);

// The file at `path`, read and parsed; a file that cannot be read is an error naming it.
// (File I/O: in r5_site_net.)
SiteList readSiteList(const QString &path);

} // namespace r5site
