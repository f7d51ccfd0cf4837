#pragma once

#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5device/protocol/answerwatch.h"
#include "r5device/protocol/requests.h"
#include "r5device/seriallink.h"
#include "r5setup/linkstate.h"

#include <QList>
#include <QWidget>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace r5setup {

class ApPage;
class InfoForm;
class DefaultPage;
class DeviceView;
class LogPanel;
class MaintenancePage;
class PageControl;
class ReconnectWatcher;
struct TopMenu;

// What the window asks the outside world for; tests pass fakes.
struct Services
{
    r5::Prompter &prompter;
    r5::Clock &clock;
    r5::Launcher &launcher;
};

// `TForm_main`: connection bar, the three setting pages, the log panel and the serial port
// `ComPortEnvBoard`. Command handlers of the pages reach the shell through log(), link(),
// prompter() and the page accessors.
class MainWindow final : public QWidget
{
    Q_OBJECT
public:
    MainWindow(const Services &services, std::unique_ptr<SerialLink> link, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The one logging operation: "[HH:NN:SS]  message" in the panel and, while "Save Log
    // File" is checked, in the day's log file.
    void log(const QString &message);
    // Lines logged together (one receive event's), in order.
    void log(const QStringList &messages);

    SerialLink &link() const { return *m_link; }
    r5::Prompter &prompter() const { return m_services.prompter; }
    r5::Clock &clock() const { return m_services.clock; }
    r5::Launcher &launcher() const { return m_services.launcher; }

    PageControl &pageControl() const { return *m_pages; }
    DefaultPage &defaultPage() const { return *m_defaultPage; }
    ApPage &apPage() const { return *m_apPage; }
    MaintenancePage &maintenancePage() const { return *m_maintenancePage; }
    QPlainTextEdit &memo() const { return *m_memo; }
    // What log() writes through; its batches gather the lines of one receive event.
    LogPanel &logPanel() const { return *m_log; }
    // The receive event and the access point queries.
    DeviceView &deviceView() const { return *m_deviceView; }

    // Set by the first valid status response; never cleared during the run.
    bool statusQueried() const { return m_statusQueried; }
    void setStatusQueried() { m_statusQueried = true; }

    LinkState linkState() const { return m_linkState; }

    // The common request procedure of every command handler: log the request's announcement
    // lines, then, with the port open, log its TX line and write the frame in one write; with
    // the port closed, say so in a box and in the log. A failed write is logged, not retried.
    // True when the frame was handed to the port. A request handed over waits for its answer:
    // without one in time, one "No answer" line says so (nothing is resent), unless the sender
    // expects silence and keeps its own time (the status requests of a verify wait, sent while
    // the device reboots).
    enum class Awaiting { Answer, AutomaticAnswer, Nothing };
    bool sendRequest(const r5::protocol::Request &request, Awaiting awaiting = Awaiting::Answer);
    // A frame with `id` came in (`registered`: an id the receiver knows).
    void noteAnswer(std::uint8_t id, bool registered);
    // How many requests sendRequest() has been asked to send during the run.
    quint64 requestCount() const { return m_requestCount; }

public Q_SLOTS:
    void ButtonStartClick();
    void ButtonStopClick();
    void Btn_ComSetupClick();
    void BtnExitClick();
    // The current-status query; also run by the test buttons and by the receive path when an
    // unregistered reply arrives.
    void Btn_CurrentStatusClick();
    // "S/W Info": the About window `Form_Info`, modal.
    void Btn_SWInfoClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormClose();
    void ComPortEnvBoardError(LineErrors errors);
    // The device went away while connected: reported once, then disconnected.
    void ComPortEnvBoardVanished();
    // "Reconnect" opened the lost port again.
    void ComPortEnvBoardReturned();
    void setLinkState(LinkState state);
    // `Timer_NoAnswer`: logs the requests whose answer is overdue by the clock.
    void Timer_NoAnswerTimer();
    void armNoAnswerTimer();
    // The maintenance page's fields that SETUP.INI keeps, each with its row of configTable().
    QList<std::pair<int, QLineEdit *>> configFields() const;

    Services m_services;
    SerialLink *m_link; // child of the window
    std::unique_ptr<TopMenu> m_top;
    PageControl *m_pages = nullptr;
    DefaultPage *m_defaultPage = nullptr;
    ApPage *m_apPage = nullptr;
    MaintenancePage *m_maintenancePage = nullptr;
    DeviceView *m_deviceView = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    LogPanel *m_log = nullptr;
    InfoForm *m_info = nullptr; // made on first use
    ReconnectWatcher *m_reconnect = nullptr;
    // The controls enabled only while connected.
    QList<QWidget *> m_connectedSet;
    LinkState m_linkState = LinkState::Disconnected;
    bool m_statusQueried = false;
    quint64 m_requestCount = 0;
    bool m_activated = false;
    r5::protocol::AnswerWatch m_answers;
    QTimer *m_noAnswerTimer = nullptr;
};

} // namespace r5setup
