#include "r5setup/ui/deviceview.h"

#include "r5/protocol/requests.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/defaultpage.h"
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

// The flash fields live on the maintenance page, which owns their kind of control; the text
// goes in whichever kind it is.
void setFieldText(QWidget *field, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(field))
        edit->setText(text);
    else if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->isEditable())
        combo->setEditText(text);
    else if (combo)
        combo->setCurrentText(text);
}

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
    const QList<r5::protocol::RxAction> actions = m_receive.feed(bytes);
    for (const r5::protocol::RxAction &action : actions)
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
                   [this](const rx::SendStatusRequest &) { m_window.Btn_CurrentStatusClick(); },
               },
               action);
}

void DeviceView::showStatus(const r5::protocol::StatusView &view)
{
    m_window.setStatusQueried();
    m_window.defaultPage().showStatus(view);
    setFieldText(m_window.findChild<QWidget *>(u"Edit_FlashSaveInt"_s), view.flashInterval);
    setFieldText(m_window.findChild<QWidget *>(u"Edit_FlashSaveDelay"_s), view.flashDelay);
    m_window.defaultPage().enableStatusPanels();
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
