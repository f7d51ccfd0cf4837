#pragma once

// Firmware server tests: files written whole, and one request's answer as a peer gets it.
#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QString>
#include <QTcpSocket>
#include <QTest>

namespace r5::test {

inline bool writeWhole(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The answer to one request sent as it stands, headers and body, read until the server closes.
// The server runs on this thread: the wait lets the event loop run.
inline QByteArray fetch(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    QByteArray answer;
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] { answer += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 10000))
        return "no end: " + answer;
    return answer;
}

} // namespace r5::test
