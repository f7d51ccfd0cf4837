// Connection runs: connect and listen waits, the server run, the status watch, socket events.
#include "sim/address.h"
#include "sim/simengine.h"

#include <QDir>
#include <QHostAddress>

namespace r5::sim {

namespace {
constexpr int kWaitMs = 1000;
constexpr int kStatusMs = 1000;
constexpr int kTickWrap = 10001;

QString sourceName(SocketSide side)
{
    return side == SocketSide::Client ? QStringLiteral("Client_Socket") : QStringLiteral("Server_Socket");
}

int listenErrorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::AddressInUseError:
        return errnum::AddressInUse;
    case QAbstractSocket::SocketAccessError:
        return errnum::AccessDenied;
    default:
        return errnum::AddressNotAvailable;
    }
}
} // namespace

SimEngine::SimEngine(OptionsSource options, ActivityLog &log, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_log(log)
{
    m_tmrConnect.setInterval(kWaitMs);
    // The gaps are the test: to the millisecond, not within the coarse timers' 5 %.
    m_timer1.setTimerType(Qt::PreciseTimer);
    m_timer2.setTimerType(Qt::PreciseTimer);
    m_clientStatus.setInterval(kStatusMs);
    connect(&m_tmrConnect, &QTimer::timeout, this, &SimEngine::TmrConnectTimer);
    connect(&m_clientStatus, &QTimer::timeout, this, &SimEngine::client_statusTimer);
    connect(&m_timer1, &QTimer::timeout, this, &SimEngine::Timer1Timer);
    connect(&m_timer2, &QTimer::timeout, this, &SimEngine::Timer2Timer);

    connect(&m_client, &ClientSocket::connected, this, [this] {
        if (m_wait == Wait::Connect)
            endWait(true);
    });
    connect(&m_client, &ClientSocket::sent, this, &SimEngine::logSent);
    connect(&m_server, &ServerSocket::sent, this, &SimEngine::logSent);
    connect(&m_log, &ActivityLog::backlogged, this, &SimEngine::holdReading);
    connect(&m_client, &ClientSocket::dataArrival, this,
            [this](const QByteArray &b) { dataArrival(SocketSide::Client, b); });
    connect(&m_client, &ClientSocket::socketError, this,
            [this](int n, const QString &d) { socketError(SocketSide::Client, n, d); });
    connect(&m_server, &ServerSocket::connectionRequest, this, &SimEngine::Server_SocketConnectionRequest);
    connect(&m_server, &ServerSocket::peerClosed, this, &SimEngine::Server_SocketClose);
    connect(&m_server, &ServerSocket::dataArrival, this,
            [this](const QByteArray &b) { dataArrival(SocketSide::Server, b); });
    connect(&m_server, &ServerSocket::socketError, this,
            [this](int n, const QString &d) { socketError(SocketSide::Server, n, d); });
}

void SimEngine::logStatus(QStringView eventText)
{
    const Options o = m_options();
    m_log.status(eventText, o.level, o.logPath);
}

// A connection run from scratch: both sockets closed, the log file made ready, then connect or
// listen; `done` follows StartConnection.
void SimEngine::freshRun(Done done)
{
    closeBoth();
    m_stopRequested = false;
    m_failureSaid = false;
    if (PrepareLogFile(m_options()))
        StartConnection(std::move(done));
}

void SimEngine::startRun()
{
    freshRun([this](bool ok) {
        if (!ok)
            ResetIdleState();
        armStatusWatch(ok);
    });
}

// The status watch reports a client link lost without a close event. It only watches a link
// that was made: a failed attempt has already said "Connection Fail", and a server run has no
// client link to watch.
void SimEngine::armStatusWatch(bool connected)
{
    const Options o = m_options();
    if (o.closeAfter) {
        m_failReported = true;
        m_clientStatus.stop();
    } else if (connected && o.role == Role::Connect && m_client.state() == SocketState::Connected) {
        m_failReported = false;
        m_clientStatus.start();
    }
}

void SimEngine::StartConnection(Done done)
{
    Q_EMIT layoutChanged(Layout::Connecting);
    const Options o = m_options();
    if (o.role == Role::Listen) {
        if (o.listenPort.isEmpty()) {
            Q_EMIT notice(notices::inputPortNo());
            done(false);
            return;
        }
        m_serverRun = true;
        m_serverRunDone = std::move(done);
        serverLoop();
        return;
    }
    if (addressEmpty(o.destination)) {
        Q_EMIT notice(notices::inputDestinationIp());
        done(false);
        return;
    }
    if (o.destinationPort.isEmpty()) {
        Q_EMIT notice(notices::inputDestinationPort());
        done(false);
        return;
    }
    if ((o.action == Action::SendOnly || o.action == Action::SendInput) && !CheckRepeatInputs(o)) {
        done(false);
        return;
    }
    ConnectClient([this, done = std::move(done)](bool connected) {
        const Options now = m_options();
        if (connected) {
            if (now.repeat && now.action == Action::SendOnly) {
                m_sendCount = 0;
                const qint64 gap = repeatIntervalMs(now.timeGap);
                // A gap of zero never ticks, as a stopped timer.
                if (gap > 0)
                    m_timer1.start(int(gap));
            }
            logStatus(status::ConnectionSuccess);
            m_failureSaid = false;
            Q_EMIT layoutChanged(Layout::Connected);
        } else {
            connectFailed();
            m_client.close();
            ResetIdleState();
        }
        done(true);
    });
}

void SimEngine::ConnectClient(Done done)
{
    if (m_wait == Wait::Connect) {
        m_waiters.push_back(std::move(done));
        return;
    }
    const Options o = m_options();
    const auto port = portNumber(o.destinationPort);
    m_failure.reset();
    m_client.connectTo(addressText(o.destination), port.value_or(0));
    startWait(Wait::Connect, std::move(done));
}

// "Connection Fail", then why: a socket error during the wait has said it already; otherwise
// the destination was unusable or nothing answered in time.
void SimEngine::connectFailed()
{
    logStatus(status::ConnectionFail);
    if (!m_failure) {
        const Options o = m_options();
        const QString address = addressText(o.destination);
        QHostAddress host;
        const bool usable = host.setAddress(address) && host.protocol() == QAbstractSocket::IPv4Protocol &&
                            portNumber(o.destinationPort).value_or(0) != 0;
        const int number = usable ? errnum::TimedOut : errnum::HostNotFound;
        const QString reason = failureReason(number, {});
        m_failure = Failure{SocketSide::Client, number, reason,
                            connectFailureText(address, o.destinationPort, reason, number), false};
    }
    sayFailure();
}

void SimEngine::StartListen(Done done)
{
    const QString portText = m_options().listenPort;
    const auto port = portNumber(portText);
    if (port && m_server.listen(*port)) {
        done(true);
        return;
    }
    const int number = port ? listenErrorNumber(m_server.listenError()) : errnum::AddressNotAvailable;
    const QString reason = failureReason(number, m_server.listenErrorString());
    m_failure =
        Failure{SocketSide::Server, number, reason, listenFailureText(portText, reason, number), false};
    startWait(Wait::Listen, std::move(done));
}

// The reason goes where socket errors go (the error file and the list), once per run: a
// server run retrying every second would otherwise bury the list and the error file.
void SimEngine::sayFailure()
{
    const std::optional<Failure> failure = std::exchange(m_failure, std::nullopt);
    if (!failure || m_failureSaid)
        return;
    m_failureSaid = true;
    if (!failure->recorded)
        m_log.socketError(failure->side, failure->number, failure->reason, sourceName(failure->side));
    logStatus(failure->text);
}

void SimEngine::startWait(Wait wait, Done done)
{
    m_wait = wait;
    m_waiters.clear();
    m_waiters.push_back(std::move(done));
    m_connectTicks = 0;
    m_tmrConnect.start();
}

void SimEngine::endWait(bool ok)
{
    m_tmrConnect.stop();
    m_connectTicks = 0;
    m_wait = Wait::None;
    std::vector<Done> waiters;
    waiters.swap(m_waiters);
    for (Done &d : waiters)
        d(ok);
}

void SimEngine::TmrConnectTimer()
{
    m_connectTicks = m_connectTicks < kTickWrap ? m_connectTicks + 1 : 0;
    if (m_wait != Wait::None && m_connectTicks >= 1)
        endWait(false);
}

void SimEngine::ListenAndAnnounce()
{
    StartListen([this](bool listening) {
        if (!m_serverRun)
            return;
        if (listening) {
            logStatus(status::Listen);
            m_failureSaid = false;
            Q_EMIT layoutChanged(Layout::Listening);
        } else {
            logStatus(status::ListenFail);
            sayFailure();
            Q_EMIT layoutChanged(Layout::ListenRetry);
            queueServerLoop();
        }
    });
}

// One pass of the server run: listen again whenever the listener is closed.
void SimEngine::serverLoop()
{
    if (!m_serverRun || m_stopRequested || m_wait != Wait::None)
        return;
    if (m_server.state() == SocketState::Closed)
        ListenAndAnnounce();
}

void SimEngine::queueServerLoop()
{
    QMetaObject::invokeMethod(this, &SimEngine::serverLoop, Qt::QueuedConnection);
}

void SimEngine::ResetIdleState()
{
    m_timer1.stop();
    Q_EMIT layoutChanged(Layout::Idle);
}

void SimEngine::client_statusTimer()
{
    if (m_client.state() != SocketState::Connected && !m_failReported) {
        logStatus(status::ConnectionFail);
        m_failReported = true;
    }
}

void SimEngine::endRun()
{
    m_clientStatus.stop();
    m_failReported = true;
    Done runDone;
    if (m_options().role == Role::Connect) {
        m_client.close();
        logStatus(status::ClientDisconnected);
    } else {
        m_server.close();
        logStatus(status::ServerClosed);
        m_stopRequested = true;
        runDone = std::move(m_serverRunDone);
        abandonRuns();
    }
    m_timer1.stop();
    ResetIdleState();
    if (runDone)
        runDone(false);
}

// Drops any wait or server run under way; their continuations never run.
void SimEngine::abandonRuns()
{
    m_serverRun = false;
    m_serverRunDone = nullptr;
    m_tmrConnect.stop();
    m_connectTicks = 0;
    m_wait = Wait::None;
    m_waiters.clear();
    m_failure.reset();
}

void SimEngine::closeBoth()
{
    abandonRuns();
    m_client.close();
    m_server.close();
}

bool SimEngine::PrepareLogFile(const Options &o)
{
    if (!levelHasFile(o.level))
        return true;
    if (m_log.prepareUserLog(o.logPath, QDir::currentPath()))
        return true;
    Q_EMIT notice(notices::invalidPass());
    return false;
}

void SimEngine::Server_SocketConnectionRequest()
{
    logStatus(status::ClientConnected);
}

void SimEngine::Server_SocketClose()
{
    logStatus(status::ClientDisconnected);
    m_server.close();
    ResetIdleState();
    queueServerLoop();
}

// The record first; then the link that failed is closed as a lost link is: a server run says
// its peer left and listens again.
void SimEngine::socketError(SocketSide side, int number, const QString &description)
{
    m_log.socketError(side, number, description, sourceName(side));
    if (side == SocketSide::Client && m_wait == Wait::Connect) {
        const Options o = m_options();
        const QString reason = failureReason(number, description);
        m_failure =
            Failure{side, number, reason,
                    connectFailureText(addressText(o.destination), o.destinationPort, reason, number), true};
    }
    if (side == SocketSide::Client)
        m_client.close();
    else
        Server_SocketClose();
    Q_EMIT notice(notices::socketError());
}

void SimEngine::holdReading(bool hold)
{
    m_client.holdReading(hold);
    m_server.holdReading(hold);
}

} // namespace r5::sim
