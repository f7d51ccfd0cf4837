#include "topmenu.h"

#include "r5setup/shelltexts.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/led.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

constexpr int kTopMenuHeight = 72;

void addLed(QHBoxLayout *row, Led *led, const QString &caption)
{
    row->addWidget(led);
    row->addWidget(new QLabel(caption, led->parentWidget()));
}

} // namespace

TopMenu buildTopMenu(QWidget *parent)
{
    TopMenu m;
    m.panel = new QWidget(parent);
    m.panel->setObjectName(u"PanelTopMenu"_s);
    m.panel->setFixedHeight(kTopMenuHeight);

    auto *link = new QGroupBox(m.panel);
    link->setObjectName(u"Panel_Connect"_s);
    auto *linkRow = new QHBoxLayout(link);
    m.comLed = new Led(u"ComLed1"_s, Qt::green, link);
    m.txLed = new Led(u"BCRTx1"_s, Qt::blue, link);
    m.rxLed = new Led(u"BCRRx1"_s, Qt::red, link);
    addLed(linkRow, m.comLed, u"Connect Status"_s);
    addLed(linkRow, m.txLed, u"Tx"_s);
    addLed(linkRow, m.rxLed, u"Rx"_s);
    m.comSetup = form::button(link, u"Btn_ComSetup"_s, u"COM Setup"_s);
    m.connect = form::button(link, u"ButtonStart"_s, u"Connect"_s);
    m.disconnect = form::button(link, u"ButtonStop"_s, u"Disconnect"_s);
    m.reconnect = new QCheckBox(u"Reconnect"_s, link);
    m.reconnect->setObjectName(u"CB_Reconnect"_s);
    m.reconnect->setAccessibleName(u"Reconnect"_s);
    // Under "Connect", so the bar keeps its width; the group's rims give up the height it needs.
    const QMargins rims = linkRow->contentsMargins();
    linkRow->setContentsMargins(rims.left(), 4, rims.right(), 4);
    auto *connectColumn = new QVBoxLayout;
    connectColumn->setSpacing(0);
    connectColumn->addWidget(m.connect);
    connectColumn->addWidget(m.reconnect);
    linkRow->addWidget(m.comSetup);
    linkRow->addLayout(connectColumn);
    linkRow->addWidget(m.disconnect);

    auto *logBox = new QGroupBox(m.panel);
    logBox->setObjectName(u"Panel_Log"_s);
    auto *logRow = new QHBoxLayout(logBox);
    m.saveLogFile = new QCheckBox(u"Save Log File"_s, logBox);
    m.saveLogFile->setObjectName(u"CB_SaveLogFile"_s);
    m.saveLogFile->setAccessibleName(u"Save Log File"_s);
    m.saveLogFile->setChecked(true);
    m.clearLog = form::button(logBox, u"Btn_Clear"_s, u"Clear Log"_s);
    logRow->addWidget(m.saveLogFile);
    logRow->addWidget(m.clearLog);

    m.programName = new QLabel(text::programName(), m.panel);
    m.programName->setObjectName(u"Lb_PGName"_s);
    m.programName->hide();
    m.version = new QLabel(u"v0.0"_s, m.panel);
    m.version->setObjectName(u"Lb_PGVersion"_s);

    m.swInfo = form::button(m.panel, u"Btn_SWInfo"_s, u"S/W Info"_s);
    m.exit = form::button(m.panel, u"BtnExit"_s, u"  종  료 "_s);
    m.exit->setAccessibleName(u"종료"_s);

    auto *row = new QHBoxLayout(m.panel);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(link);
    row->addWidget(logBox);
    row->addStretch();
    row->addWidget(m.programName);
    row->addWidget(m.version);
    row->addWidget(m.swInfo);
    row->addWidget(m.exit);
    return m;
}

} // namespace r5setup
