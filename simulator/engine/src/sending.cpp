// Sending: once, repeated, as a four-step program, and as replies to what arrives.
#include "sim/address.h"
#include "sim/simengine.h"

using namespace Qt::StringLiterals;

namespace r5::sim {

namespace {
constexpr int kFirstStepMs = 1000;
constexpr int kSteps = 4;
const QString kDefaultStepGap = u"1000"_s;
} // namespace

bool SimEngine::CheckRepeatInputs(const Options &o)
{
    Notice missing;
    if (o.timeGap.isEmpty())
        missing = notices::inputTimegap();
    else if (o.count.isEmpty())
        missing = notices::inputCount();
    else if (o.input.isEmpty())
        missing = notices::inputSendData();
    else
        return true;
    m_timer1.stop();
    Q_EMIT notice(missing);
    return false;
}

void SimEngine::sendOnce()
{
    const Options o = m_options();
    if (o.input.isEmpty()) {
        Q_EMIT notice(notices::pleaseInputData());
        return;
    }
    const auto converted = textToBytes(o.input, o.format);
    if (!converted || converted->oddDropped)
        Q_EMIT notice(notices::invalidData());
    if (!converted)
        return; // pasted text with no byte form: nothing is sent
    if (o.role == Role::Connect && m_client.state() != SocketState::Connected) {
        StartConnection([this](bool ok) {
            if (!ok) {
                ResetIdleState();
                return;
            }
            sendInput(false);
        });
        return;
    }
    sendBuffer(converted->bytes);
}

void SimEngine::connectSendClose()
{
    freshRun([this](bool ok) {
        if (!ok) {
            ResetIdleState();
            return;
        }
        sendInput(true);
    });
}

// Converts the input box and sends it, with the boxes of the send button when `warn` is set.
void SimEngine::sendInput(bool warn)
{
    const Options o = m_options();
    if (o.input.isEmpty()) {
        if (warn)
            Q_EMIT notice(notices::pleaseInputData());
        return;
    }
    const auto converted = textToBytes(o.input, o.format);
    if (!converted || converted->oddDropped) {
        if (warn)
            Q_EMIT notice(notices::invalidData());
        if (!converted)
            return;
    }
    sendBuffer(converted->bytes);
}

// One buffer goes to the server side's peer if there is one, else to the client link.
void SimEngine::sendBuffer(const QByteArray &bytes)
{
    if (m_server.state() == SocketState::Connected)
        sendOn(SocketSide::Server, bytes);
    else if (m_client.state() == SocketState::Connected)
        sendOn(SocketSide::Client, bytes);
}

// The Send line is written when the socket has taken the bytes (logSent), not when they are
// queued, so a link that ends first leaves no line for bytes that never left.
bool SimEngine::sendOn(SocketSide side, const QByteArray &bytes)
{
    return side == SocketSide::Server ? m_server.send(bytes) : m_client.send(bytes);
}

void SimEngine::logSent(const QByteArray &bytes)
{
    const Options o = m_options();
    m_log.data(bytes, Direction::Sent, o.format, o.level, o.logPath);
}

void SimEngine::dataArrival(SocketSide side, const QByteArray &bytes)
{
    const Options o = m_options();
    m_log.data(bytes, Direction::Received, o.format, o.level, o.logPath);
    const bool roleSocket = (side == SocketSide::Client) == (o.role == Role::Connect);
    if (roleSocket) {
        if (o.action == Action::SendReceived) {
            sendOn(side, bytes);
        } else if (o.action == Action::SendInput) {
            if (const auto reply = textToBytes(o.input, o.format))
                sendOn(side, reply->bytes);
        }
    }
    if (side == SocketSide::Client && o.closeAfter) {
        m_client.close();
        logStatus(status::ClientDisconnected);
    }
}

void SimEngine::Timer1Timer()
{
    const Options o = m_options();
    if (const auto limit = repeatLimit(o.count)) {
        if (m_sendCount >= *limit)
            return;
        ++m_sendCount;
    }
    if (m_client.state() == SocketState::Connected) {
        if (const auto converted = textToBytes(o.input, o.format))
            sendOn(SocketSide::Client, converted->bytes);
        return;
    }
    // The link was lost: a new connection run restarts the timer and the count. No tick may
    // start another run while this one waits.
    m_timer1.stop();
    m_client.close();
    StartConnection([](bool) {});
}

void SimEngine::toggleProgram()
{
    if (m_programStarted) {
        closeBoth();
        m_timer2.stop();
        m_stepIndex = 0;
        m_programStarted = false;
        Q_EMIT programStartedChanged(false);
        logStatus(status::ClientClosed);
        return;
    }
    const Options o = m_options();
    if (o.role != Role::Connect)
        return;
    if (addressEmpty(o.destination)) {
        Q_EMIT notice(notices::inputDestinationIp());
        return;
    }
    if (o.destinationPort.isEmpty()) {
        Q_EMIT notice(notices::inputDestinationPort());
        return;
    }
    m_client.close();
    if (!o.programMode)
        return;
    m_failureSaid = false;
    ConnectClient([this](bool connected) {
        if (!connected) {
            connectFailed();
            return;
        }
        logStatus(status::ClientConnected);
        m_stepIndex = 0;
        m_timer2.start(kFirstStepMs);
        m_programStarted = true;
        Q_EMIT programStartedChanged(true);
    });
}

void SimEngine::Timer2Timer()
{
    const Options o = m_options();
    const QString step = o.steps.value(m_stepIndex);
    if (step.isEmpty()) {
        m_timer2.stop();
        m_stepIndex = 0;
        return;
    }
    const SocketSide side = o.role == Role::Connect ? SocketSide::Client : SocketSide::Server;
    const SocketState state = side == SocketSide::Client ? m_client.state() : m_server.state();
    if (state != SocketState::Connected)
        return;
    if (const auto converted = textToBytes(step, o.format))
        sendOn(side, converted->bytes);
    if (m_stepIndex < kSteps - 1) {
        QString gap = o.stepGaps.value(m_stepIndex).trimmed();
        if (gap.isEmpty()) {
            gap = kDefaultStepGap;
            Q_EMIT stepGapFilled(m_stepIndex, gap);
        }
        m_timer2.setInterval(int(std::clamp(leadingNumber(gap), 1.0, 2147483647.0)));
    }
    if (++m_stepIndex == kSteps) {
        m_timer2.stop();
        m_stepIndex = 0;
    }
}

} // namespace r5::sim
