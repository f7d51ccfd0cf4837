#pragma once

#include "sim/activitylog.h"
#include "sim/options.h"
#include "sim/socketlink.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

namespace r5::sim {

// The connection runs and the sending of the socket test tool. The window hands it a way to
// read its current choices, maps its buttons to the operations below and applies the layouts
// and boxes the engine asks for. Everything is
// event-driven: a connect or listen wait ends with the socket's signal or the first tick of
// TmrConnect, a server run listens again whenever its listener was closed, until "Close".
class SimEngine : public QObject
{
    Q_OBJECT
public:
    // Which controls are usable, as each procedure leaves them. ListenRetry: a server run whose
    // listen failed and tries again every second; "Close" stops it.
    enum class Layout { Connecting, Connected, Listening, ListenRetry, Idle };
    using OptionsSource = std::function<Options()>;

    SimEngine(OptionsSource options, ActivityLog &log, QObject *parent = nullptr);

    // A connection run from scratch: connect, or listen until endRun().
    void startRun();
    // Ends the run: closes the link (and the listener) and stops repeat sending.
    void endRun();
    // Sends the input once, connecting first in the client role.
    void sendOnce();
    // A fresh run that sends the input once and closes after the first reply.
    void connectSendClose();
    // Starts the four-step program, or ends the one that runs.
    void toggleProgram();

    SocketState clientState() const { return m_client.state(); }
    SocketState serverState() const { return m_server.state(); }
    quint16 listeningPort() const { return m_server.port(); }
    int sendCount() const { return m_sendCount; }
    bool programStarted() const { return m_programStarted; }

Q_SIGNALS:
    void notice(const r5::sim::Notice &notice);
    void layoutChanged(r5::sim::SimEngine::Layout layout);
    // The program button reads "End" while a program run is open.
    void programStartedChanged(bool started);
    // An empty program gap was given its default.
    void stepGapFilled(int index, const QString &text);

private:
    // Continues a run once it is known whether it got under way.
    using Done = std::function<void(bool)>;
    enum class Wait { None, Connect, Listen };

    // Connection runs.
    void freshRun(Done done);
    void StartConnection(Done done);
    void ConnectClient(Done done);
    void StartListen(Done done);
    void ListenAndAnnounce();
    void ResetIdleState();
    bool PrepareLogFile(const Options &o);
    bool CheckRepeatInputs(const Options &o);
    void serverLoop();
    void queueServerLoop();
    void startWait(Wait wait, Done done);
    void endWait(bool ok);
    void abandonRuns();
    void closeBoth();
    void armStatusWatch(bool connected);
    void connectFailed();
    void sayFailure();

    // Timers and socket events.
    void TmrConnectTimer();
    void client_statusTimer();
    void Timer1Timer();
    void Timer2Timer();
    void Server_SocketConnectionRequest();
    void Server_SocketClose();
    void dataArrival(SocketSide side, const QByteArray &bytes);
    void socketError(SocketSide side, int number, const QString &description);

    // Sending.
    void sendInput(bool warn);
    void sendBuffer(const QByteArray &bytes);
    bool sendOn(SocketSide side, const QByteArray &bytes);
    void logSent(const QByteArray &bytes);
    void holdReading(bool hold);
    void logStatus(QStringView eventText);

    OptionsSource m_options;
    ActivityLog &m_log;
    ClientSocket m_client;
    ServerSocket m_server;
    QTimer m_tmrConnect;
    QTimer m_clientStatus;
    QTimer m_timer1; // repeat sending
    QTimer m_timer2; // program steps

    bool m_stopRequested = false;
    bool m_failReported = false;
    int m_connectTicks = 0;
    int m_sendCount = 0;
    int m_stepIndex = 0;
    bool m_programStarted = false;

    // Why the last connect or listen failed; said once per run, after its status line.
    struct Failure
    {
        SocketSide side;
        int number;
        QString reason;
        QString text;  // the activity line
        bool recorded; // the socket error already wrote its record
    };
    std::optional<Failure> m_failure;
    bool m_failureSaid = false;

    Wait m_wait = Wait::None;
    std::vector<Done> m_waiters;
    bool m_serverRun = false;
    Done m_serverRunDone;
};

} // namespace r5::sim
