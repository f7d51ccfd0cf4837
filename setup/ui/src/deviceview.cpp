#include "r5setup/ui/deviceview.h"

#include "r5device/protocol/requests.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/defaultpage.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/logpanel.h"
#include "r5setup/ui/maintenancepage.h"
#include "r5setup/ui/mainwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};

} // namespace

DeviceView::DeviceView(MainWindow &window) : QObject(&window), m_window(window)
{
    setObjectName(u"DeviceView"_s);
    connect(&window.link(), &SerialLink::rxChar, this, &DeviceView::ComPortEnvBoardRxChar);

    ApPage &ap = window.apPage();
    for (QPushButton *query : {ap.searchButton(), ap.currentApButton(), ap.rssiButton()})
        connect(query, &QPushButton::clicked, this, [this, query] { Btn_Get_CurrentAPClick(query); });
}

void DeviceView::ComPortEnvBoardRxChar()
{
    const QByteArray bytes = m_window.link().read(r5::protocol::ReceivePath::kReadBufferSize);
    if (bytes.isEmpty())
        return;
    // Everything the event logs, the automatic status requests' lines included, reaches the
    // panel in one insertion and the file in one write: a noisy line turns every byte into
    // lines, and line-by-line output would fall behind the line rate.
    const LogPanel::Batch batch(m_window.logPanel());
    for (const r5::protocol::RxAction &action : m_receive.feed(bytes))
        carryOut(action);
}

void DeviceView::carryOut(const r5::protocol::RxAction &action)
{
    namespace rx = r5::protocol::rx;
    std::visit(Overloaded{
                   [this](const rx::Log &step) { m_window.log(step.text); },
                   [this](const rx::ShowStatus &step) { showStatus(*step.view); },
                   [this](const rx::ShowApList &step) { m_window.apPage().showApList(step.list); },
                   [this](const rx::EnableApGrid &) { m_window.apPage().enableGrid(); },
                   [this](const rx::ShowCurrentAp &step) { m_window.apPage().showCurrentAp(step.ap); },
                   [this](const rx::ShowRssi &step) { m_window.apPage().showRssi(step.reading); },
                   [this](const rx::SendStatusRequest &) { sendAutomaticStatusRequest(); },
                   [this](const rx::Answered &step) { m_window.noteAnswer(step.id, step.registered); },
               },
               action);
}

// An unregistered answer is answered with a status request. A device whose status carries a
// 0xFE byte (an address ending in .254, say) has its status cut short by that byte, and the
// tail comes in as an unregistered answer: left alone, the two would ask each other forever.
// So a run of such requests stops after a few that brought no valid status, until the
// installer sends something or a status gets through.
void DeviceView::sendAutomaticStatusRequest()
{
    constexpr int kMaxAutomaticRequests = 3;
    if (m_window.requestCount() != m_requestCountAfterAutomatic)
        m_automaticRequests = 0;
    if (m_automaticRequests >= kMaxAutomaticRequests) {
        // Said once per run: a noisy line would otherwise repeat it for every stray end byte.
        if (m_automaticRequests == kMaxAutomaticRequests) {
            ++m_automaticRequests;
            m_window.log(u"Status request not repeated: %1 sent without a valid status answer."_s.arg(
                kMaxAutomaticRequests));
        }
        return;
    }
    ++m_automaticRequests;
    m_window.sendRequest(r5::protocol::statusRequest(), MainWindow::Awaiting::AutomaticAnswer);
    m_requestCountAfterAutomatic = m_window.requestCount();
}

void DeviceView::showStatus(const r5::protocol::StatusView &view)
{
    m_automaticRequests = 0;
    m_window.setStatusQueried();
    m_window.defaultPage().showStatus(view);
    form::showText(m_window.maintenancePage().flashInterval(), view.flashInterval);
    form::showText(m_window.maintenancePage().flashDelay(), view.flashDelay);
    m_window.defaultPage().enableStatusPanels();
    Q_EMIT statusShown(view);
}

void DeviceView::Btn_Get_CurrentAPClick(QPushButton *clicked)
{
    if (!clicked)
        return;
    if (!m_window.prompter().askYesNo(&m_window, {}, r5::protocol::texts::networkDelayNotice()))
        return;
    m_window.sendRequest(r5::protocol::hintQuery(clicked->property("hint").toString()));
}

} // namespace r5setup
