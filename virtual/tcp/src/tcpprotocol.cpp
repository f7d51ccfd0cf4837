#include "virt/tcpprotocol.h"

using namespace Qt::StringLiterals;

namespace virt {

namespace {
bool isOutputChannel(char c)
{
    return c == '1' || c == '2' || c == 'A';
}
bool isCounterChannel(char c)
{
    return (c >= '1' && c <= '6') || c == 'A';
}

bool parseOne(QByteArrayView g, TcpCommand &out)
{
    if (g[0] != 'N')
        return false;
    if (g == QByteArrayView("NREQ")) {
        out = {TcpCommand::Kind::Request, 0, 0};
        return true;
    }
    if (g[1] == 'T' && isOutputChannel(g[2]) && (g[3] == '0' || g[3] == '1')) {
        out = {TcpCommand::Kind::SetOutput, g[2], g[3]};
        return true;
    }
    if (g[1] == 'C' && isCounterChannel(g[2]) && g[3] == '0') {
        out = {TcpCommand::Kind::ResetCounter, g[2], 0};
        return true;
    }
    return false;
}

void putLE32(QByteArray &b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
} // namespace

TcpParse parseTcpCommands(QByteArrayView pending)
{
    TcpParse result;
    qsizetype pos = 0;
    const qsizetype n = pending.size();
    while (pos < n) {
        if (pending[pos] != 'N') {
            qsizetype next = pending.indexOf('N', pos);
            if (next < 0)
                next = n;
            result.rejected.append(pending.sliced(pos, next - pos).toByteArray());
            pos = next;
            continue;
        }
        if (n - pos < 4)
            break;
        const QByteArrayView group = pending.sliced(pos, 4);
        TcpCommand command;
        if (parseOne(group, command))
            result.commands.append(command);
        else
            result.rejected.append(group.toByteArray());
        pos += 4;
    }
    result.consumed = pos;
    return result;
}

void applyCommand(DiState &state, const TcpCommand &command)
{
    switch (command.kind) {
    case TcpCommand::Kind::SetOutput:
        for (int j = 0; j < 2; ++j) {
            if (command.channel == 'A' || command.channel == char('1' + j))
                state.outputs[j] = command.value;
        }
        break;
    case TcpCommand::Kind::ResetCounter:
        for (int i = 0; i < 6; ++i) {
            if (command.channel == 'A' || command.channel == char('1' + i))
                state.counters[i] = 0;
        }
        break;
    case TcpCommand::Kind::Request:
        break;
    }
}

QString describeCommand(const TcpCommand &command)
{
    const QChar ch = QChar::fromLatin1(command.channel);
    switch (command.kind) {
    case TcpCommand::Kind::SetOutput:
        return u"DO "_s + ch + u" set to "_s + QChar::fromLatin1(command.value);
    case TcpCommand::Kind::ResetCounter:
        return u"counter "_s + ch + u" reset"_s;
    case TcpCommand::Kind::Request:
        break;
    }
    return u"status request"_s;
}

QByteArray buildReport(const DiState &state, char mode, bool withCheckByte)
{
    const bool gapMode = mode != 'N';
    QByteArray r;
    r.reserve(57);
    r.append(gapMode ? 'G' : 'N');
    r.append(state.inputs.data(), 6);
    r.append(state.outputs.data(), 2);
    for (const auto c : state.counters)
        putLE32(r, c);
    if (gapMode) {
        for (const auto g : state.gapTimesMs)
            putLE32(r, g);
    } else if (withCheckByte) {
        char x = 0;
        for (const char c : r)
            x = char(x ^ c);
        r.append(x);
    }
    return r;
}

void PulseModel::step(DiState &state, qint64 nowMs)
{
    ++m_step;
    for (int i = 0; i < 6; ++i) {
        if (m_step % quint64(i + 1) != 0)
            continue;
        const bool rising = state.inputs[i] == '0';
        state.inputs[i] = rising ? '1' : '0';
        if (!rising)
            continue;
        ++state.counters[i];
        if (m_lastRise[i] >= 0)
            state.gapTimesMs[i] = std::uint32_t(nowMs - m_lastRise[i]);
        m_lastRise[i] = nowMs;
    }
}

void PulseModel::reset()
{
    m_lastRise.fill(-1);
    m_step = 0;
}

} // namespace virt
