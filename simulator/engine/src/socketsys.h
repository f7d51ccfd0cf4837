#pragma once

#include <QString>
#include <QtGlobal>

// The few socket calls the tool's links make, on the platform's own socket library. Qt's socket
// classes cannot half-close and report a reset like a close, so the links use these instead.
namespace r5::sim::socketsys {

// A socket descriptor (a SOCKET on Windows, an int elsewhere).
using Descriptor = qintptr;
inline constexpr Descriptor kInvalid = -1;

// A new non-blocking TCP socket, not inherited by child processes, that starts connecting to
// `ipv4`:`port`; the outcome comes as write readiness. kInvalid with `error` set when the
// connect cannot even start.
Descriptor startConnect(quint32 ipv4, quint16 port, int &error);
// Whether a connect has ended, without waiting; `error` is 0 when it succeeded.
bool connectEnded(Descriptor d, int &error);
// The error the socket holds, 0 when none.
int pendingError(Descriptor d);
// Makes an accepted socket non-blocking and not inherited by child processes.
void adopt(Descriptor d);

// Bytes moved, 0 from receive() when the peer will send no more, -1 on error (lastError()).
qint64 receive(Descriptor d, char *buffer, qint64 size);
// Never raises a signal when the peer has gone.
qint64 send(Descriptor d, const char *bytes, qint64 size);
void shutdownWrite(Descriptor d);
void close(Descriptor d);

int lastError();
// The error only means "not now": nothing to read, no room to write, or interrupted.
bool wouldBlock(int error);
// The number an error record shows: the Windows socket error code (10054 for a reset, ...).
int recordNumber(int error);
QString errorText(int error);

// False where a read notifier fires only when something new happens (Winsock's FD_READ and
// FD_CLOSE), not for as long as bytes or the peer's end wait: the reader must then look again
// itself after each read and when it resumes reading.
bool readNotifierRepeats();

} // namespace r5::sim::socketsys
