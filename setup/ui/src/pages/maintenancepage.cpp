#include "r5setup/ui/maintenancepage.h"

#include "r5setup/ui/formwidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QGridLayout *grid(QGroupBox *panel)
{
    return static_cast<QGridLayout *>(panel->layout());
}

// Four octet edits in one row with "." between them, from column 1.
void addAddress(QGroupBox *panel, int row, const QString &label, const QString &prefix,
                const QStringList &texts)
{
    grid(panel)->addWidget(form::label(panel, label), row, 0);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        auto *e = form::edit(panel, prefix + n, texts.value(i), 3, label.trimmed() + u' ' + n);
        grid(panel)->addWidget(e, row, 1 + 2 * i);
        if (i < 3)
            grid(panel)->addWidget(form::label(panel, u"."_s), row, 2 + 2 * i);
    }
}

void addField(QGroupBox *panel, int row, const QString &label, QWidget *field)
{
    grid(panel)->addWidget(form::label(panel, label), row, 0);
    grid(panel)->addWidget(field, row, 1, 1, 7);
}

} // namespace

MaintenancePage::MaintenancePage(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"TabSheet3"_s);

    auto *reset = form::panel(this, u"Panel_Info_FactoryReset"_s, u" [공장초기화]"_s);
    grid(reset)->addWidget(form::button(reset, u"Btn_FactoryReset"_s, u"Factory Reset"_s, u"46"_s), 0, 1);

    auto *reboot = form::panel(this, u"Panel_Info_Sys_Reboot"_s, u" [System Reboot]"_s);
    grid(reboot)->addWidget(form::button(reboot, u"Btn_SystemReboot"_s, u"System Reboot"_s, u"47"_s), 0, 1);

    auto *flash = form::panel(this, u"Panel_Info_Flash"_s, u" [Falsh Memory R/W 설정]"_s);
    grid(flash)->addWidget(form::button(flash, u"Btn_FlashSaveInt"_s, u"설정 저장"_s), 0, 1);
    grid(flash)->addWidget(form::button(flash, u"Btn_FlashErase"_s, u"All Flash Erase"_s, u"58"_s), 0, 2);
    addField(flash, 1, u"Flash save Interval"_s,
             form::edit(flash, u"Edit_FlashSaveInt"_s, u"0"_s, 5, u"Flash save Interval"_s));
    auto *delay = new QComboBox(flash);
    delay->setObjectName(u"Edit_FlashSaveDelay"_s);
    delay->setAccessibleName(u"Flash save Delay"_s);
    delay->setEditable(true);
    for (int seconds = 0; seconds <= 60; seconds += 5)
        delay->addItem(QString::number(seconds));
    delay->setCurrentText(u"0"_s);
    addField(flash, 2, u"Flash save Delay"_s, delay);

    auto *http = form::panel(this, u"Panel_Info_FW_Http"_s, u" [F/W Update from HTTP Sever]"_s);
    addAddress(http, 1, u"Address :"_s, u"Edit_DL_IP"_s, {u"127"_s, u"0"_s, u"0"_s, u"1"_s});
    addField(http, 2, u"Download Port : "_s,
             form::edit(http, u"Edit_DL_Port"_s, u"8070"_s, 5, u"Download Port"_s));
    addField(http, 3, u"Filename : "_s,
             form::edit(http, u"Edit_DL_File"_s, u"/R5200TX_v1.0.bin"_s, 32, u"Filename"_s));

    auto *tcp = form::panel(this, u"Panel_Info_FW_Tcp"_s, u" [F/W Update - TCP]"_s);
    addAddress(tcp, 1, u"Server IP : "_s, u"Edit_DL_Tcp_IP"_s, {u"192"_s, u"168"_s, u"88"_s, u"101"_s});
    addField(tcp, 2, u"Server Port : "_s,
             form::edit(tcp, u"Edit_DL_Tcp_Port"_s, u"8071"_s, 5, u"Server Port"_s));

    auto *test = form::panel(this, u"Panel_Info_test"_s, u" [TEST]"_s);
    auto *simulator = form::panel(this, u"Panel_Info_Simulator"_s, u" [Test Program]"_s);

    auto *server = form::panel(this, u"Panel1"_s, u" [HTTP Server]"_s);
    addField(server, 1, u"HTTP Server Port : "_s,
             form::edit(server, u"Edit_HttpSvr_Port"_s, u"8070"_s, 5, u"HTTP Server Port"_s));
    // Changed only through the configuration file.
    auto *home = form::edit(server, u"Edit_HomeDir"_s, u"./KorviaFW"_s, 0, u"Home Dir"_s);
    home->setEnabled(false);
    addField(server, 2, u"Home Dir : "_s, home);

    // Shown by the administrator panel.
    for (QGroupBox *hidden : {flash, http, tcp, test})
        hidden->hide();

    auto *layout = new QGridLayout(this);
    layout->addWidget(reset, 0, 0);
    layout->addWidget(reboot, 0, 1);
    layout->addWidget(server, 1, 0);
    layout->addWidget(simulator, 1, 1);
    layout->addWidget(flash, 2, 0);
    layout->addWidget(test, 2, 1);
    layout->addWidget(http, 3, 0);
    layout->addWidget(tcp, 3, 1);
    layout->setRowStretch(4, 1);
}

QString MaintenancePage::caption()
{
    return u"    [Maintenance]    "_s;
}

} // namespace r5setup
