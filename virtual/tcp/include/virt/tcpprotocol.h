#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace virt {

// One 4-byte command from a TCP client: "NREQ", "NT" + output ('1', '2', 'A') + value
// ('0', '1'), or "NC" + counter ('1'..'6', 'A') + '0'.
struct TcpCommand
{
    enum class Kind { Request, SetOutput, ResetCounter };
    Kind kind = Kind::Request;
    char channel = 0;
    char value = 0;
};

struct TcpParse
{
    QList<TcpCommand> commands;
    QList<QByteArray> rejected; // bytes skipped, each run as it was skipped
    qsizetype consumed = 0;     // bytes of the input used up; the rest waits for more
};

// Splits what a client has sent so far into commands. Commands carry no framing: bytes before
// a lead "N" are skipped, then every 4 bytes are one command, and a group that is not a valid
// command is skipped whole. A shorter tail is left for the next read.
TcpParse parseTcpCommands(QByteArrayView pending);

// The DI side of the device: six inputs, two outputs, six counters and gap times.
struct DiState
{
    std::array<char, 6> inputs{'0', '0', '0', '0', '0', '0'};
    std::array<char, 2> outputs{'0', '0'};
    std::array<std::uint32_t, 6> counters{};
    std::array<std::uint32_t, 6> gapTimesMs{};
};

// Applies "NT" and "NC"; "NREQ" changes nothing.
void applyCommand(DiState &state, const TcpCommand &command);

// What a command does, for the device's console.
QString describeCommand(const TcpCommand &command);

// The status report of a protocol mode: 'N' gives 33 bytes (34 with the check byte, an XOR of
// the 33 bytes before it), any other mode 57 bytes with gap times, as the setup tool reads the
// mode byte. Counters and gap times go least significant byte first.
QByteArray buildReport(const DiState &state, char mode, bool withCheckByte);

// Simulated pulses: each step toggles input i every (i + 1) steps, so the inputs run at
// different rates; a rising edge counts and sets the gap time to the time since the last one.
class PulseModel
{
public:
    void step(DiState &state, qint64 nowMs);
    void reset();

private:
    std::array<qint64, 6> m_lastRise{-1, -1, -1, -1, -1, -1};
    quint64 m_step = 0;
};

} // namespace virt
