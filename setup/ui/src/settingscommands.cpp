#include "settingscommands.h"

#include "keyfilter.h"
#include "r5device/protocol/requests.h"
#include "r5device/settingsrules.h"
#include "r5setup/ui/defaultpage.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/mainwindow.h"
#include "rangemark.h"
#include "refusalbox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

SettingsCommands::SettingsCommands(MainWindow &window) : QObject(&window), m_window(window)
{
    setObjectName(u"SettingsCommands"_s);
    DefaultPage &page = window.defaultPage();

    auto *keys = new KeyFilter(window.prompter(), &window);
    for (const auto *row : {&page.ipEdits(), &page.gatewayEdits(), &page.maskEdits()}) {
        for (QLineEdit *octet : *row) {
            keys->attach(octet, true);
            markOutOfRange(octet, kOctetRange);
        }
    }
    keys->attach(page.serverPort());
    markOutOfRange(page.serverPort(), kPortRange);
    keys->attach(page.expiryTime());
    markOutOfRange(page.expiryTime(), kOctetRange);
    for (QComboBox *time : page.throughputTimes()) {
        keys->attach(time);
        markOutOfRange(time, kThroughputRange);
    }

    connect(page.saveWanButton(), &QPushButton::clicked, this, &SettingsCommands::Btn_Save_Config_WanClick);
    connect(page.saveServerButton(), &QPushButton::clicked, this,
            &SettingsCommands::Btn_Save_Config_ServerClick);
    connect(page.saveDiButton(), &QPushButton::clicked, this, &SettingsCommands::Btn_Save_Config_DIClick);
}

bool SettingsCommands::confirmed(const settings::Refusal &refusal, bool passed, const QString &question)
{
    if (!passed) {
        const DefaultPage &page = m_window.defaultPage();
        QList<QWidget *> fields{page.serverPort(), page.expiryTime()};
        for (const auto *row : {&page.ipEdits(), &page.gatewayEdits(), &page.maskEdits()})
            fields.append(QList<QWidget *>(row->begin(), row->end()));
        fields.append(QList<QWidget *>(page.throughputTimes().begin(), page.throughputTimes().end()));
        showRefusal(m_window.prompter(), &m_window, refusal, fields);
        return false;
    }
    return m_window.prompter().askYesNo(&m_window, {}, question);
}

bool SettingsCommands::statusQueried()
{
    if (m_window.statusQueried())
        return true;
    m_window.prompter().message(&m_window, r5::Prompter::Icon::None, {}, settings::text::statusFirst());
    return false;
}

void SettingsCommands::Btn_Save_Config_WanClick()
{
    if (!statusQueried())
        return;
    const DefaultPage &page = m_window.defaultPage();
    std::array<QString, 12> octets;
    std::size_t n = 0;
    for (const auto *row : {&page.ipEdits(), &page.gatewayEdits(), &page.maskEdits()}) {
        for (const QLineEdit *octet : *row)
            octets[n++] = octet->text();
    }
    const auto checked = settings::checkWan(octets);
    if (!confirmed(checked.refusal, bool(checked), settings::text::wanQuestion()))
        return;
    if (!m_window.sendRequest(r5::protocol::wanRequest(*checked.value)))
        return;
    r5commission::Wanted wanted;
    wanted.wan = *checked.value;
    Q_EMIT saveSent(wanted, true);
}

void SettingsCommands::Btn_Save_Config_ServerClick()
{
    if (!statusQueried())
        return;
    const DefaultPage &page = m_window.defaultPage();
    const auto checked = settings::checkServer(page.serverPort()->text(), page.expiryTime()->currentText());
    if (!confirmed(checked.refusal, bool(checked), settings::text::serverQuestion()))
        return;
    const int mode = page.protocolMode()->itemIndex();
    if (!m_window.sendRequest(
            r5::protocol::serverRequest(checked.value->port, checked.value->expirySeconds, mode)))
        return;
    r5commission::Wanted wanted;
    wanted.server =
        r5commission::ServerWanted{checked.value->port, checked.value->expirySeconds, mode == 0 ? 'N' : 'G'};
    Q_EMIT saveSent(wanted, true);
}

void SettingsCommands::Btn_Save_Config_DIClick()
{
    if (!statusQueried())
        return;
    const DefaultPage &page = m_window.defaultPage();
    std::array<QString, 5> times;
    std::array<int, 5> modes{};
    for (std::size_t i = 0; i < 5; ++i) {
        times[i] = page.throughputTimes()[i]->currentText();
        modes[i] = page.countModes()[i]->currentIndex();
    }
    const auto checked = settings::checkThroughputTimes(times);
    if (!confirmed(checked.refusal, bool(checked), settings::text::diQuestion()))
        return;
    if (!m_window.sendRequest(r5::protocol::diRequest(*checked.value, modes)))
        return;
    r5commission::Wanted wanted;
    wanted.di = r5commission::DiWanted{*checked.value, {}};
    for (std::size_t i = 0; i < 5; ++i)
        wanted.di->modes[i] = modes[i] == 0 ? 'F' : 'R';
    Q_EMIT saveSent(wanted, false);
}

} // namespace r5setup
