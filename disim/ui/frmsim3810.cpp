#include "ui/frmsim3810.h"

#include "core/activity.h"
#include "core/entry.h"
#include "r5/clock.h"
#include "r5/guide.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/screenfit.h"
#include "r5/suitefonts.h"
#include "r5device/tcp/command.h"
#include "r5device/tcp/devicelink.h"
#include "r5device/tcp/icmpecho.h"
#include "r5device/tcp/pingsession.h"
#include "r5device/tcp/pingtext.h"
#include "r5device/tcp/report.h"
#include "r5site/sitelist.h"
#include "ui/frmsite.h"
#include "ui/inputfilters.h"
#include "ui/reportcsvfile.h"
#include "ui/settings.h"
#include "ui/trendpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
const QString kPortMessage = u"Port must be a whole number from 1 to 65535."_s;
const QString kIntervalMessage = u"Time Interval must be more than 0 seconds."_s;
constexpr int kListShownMs = 50;

// The fields are set per report; most of them rarely change, and setting a box lays out its text.
void showText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}
} // namespace

const QUrl &frmSim_3810::makerUrl()
{
    static const QUrl url(u"https://www.example.com/"_s);
    return url;
}

frmSim_3810::frmSim_3810(const Services &services, QWidget *parent)
    : QWidget(parent), m_services(services), m_winsock1(new DeviceLink(this)), m_sendTimer(new QTimer(this)),
      m_listShown(new QTimer(this)), m_ping(new PingSession(services.resolver, services.echo, this)),
      m_settings(openSettings())
{
    setObjectName(u"frmSim_3810"_s);
    setWindowTitle(u"Korvia 3810/3850 Simulator Ver2.0 (2011.08.16)"_s);
    r5::addGuideKey(this, services.launcher, u"simulator_3810.html"_s);
    setFont(r5::suiteFont(r5::FontRole::Sans, 9));
    // The layout is fixed: the window takes the size its controls need at their font.
    auto *fit = new r5::ScreenFit(this, r5::ScreenFit::Sizing::Fixed);
    m_ui.setupUi(fit->page());
    fit->page()->layout()->setContentsMargins(fit->windowMargins());
    m_trend = new TrendPanel(services.prompter, services.clock, services.logFolder);
    m_ui.splTrend->addWidget(m_trend);
    m_csv = std::make_unique<ReportCsvFile>(services.prompter, services.clock, services.logFolder, this);
    m_ui.Label1[1]->setText(makerUrl().toString());
    m_sendTimer->setObjectName(u"SendTimer"_s);
    m_sendTimer->setInterval(1000);
    m_sendTimer->setTimerType(Qt::PreciseTimer);
    m_listShown->setSingleShot(true);
    m_listShown->setInterval(kListShownMs);
    connect(m_listShown, &QTimer::timeout, this, &frmSim_3810::showListEnd);
    Form_Load();

    auto *keys = new EntryKeyFilter(this);
    m_ui.txtDestIP->installEventFilter(keys);
    m_ui.txtDestPort->installEventFilter(keys);
    // Keys reach the combo box, which hands them to its editor without the editor's filters.
    m_ui.cboTime->installEventFilter(keys);
    auto *link = new ClickFilter([this] { Label1_Click(); }, this);
    for (QLabel *l : m_ui.Label1)
        l->installEventFilter(link);

    connect(m_ui.txtDestIP, &QLineEdit::textChanged, this,
            [this](const QString &t) { saveSetting(u"ADDRESS"_s, t); });
    connect(m_ui.txtDestPort, &QLineEdit::textChanged, this,
            [this](const QString &t) { saveSetting(u"PORT"_s, t); });
    connect(m_ui.cboTime, &QComboBox::currentTextChanged, this,
            [this](const QString &t) { saveSetting(u"INTERVAL"_s, t); });
    connect(m_ui.chkCsv, &QCheckBox::toggled, this,
            [this](bool on) { saveSetting(u"CSV"_s, on ? u"1"_s : u"0"_s); });

    connect(m_ui.cmdConnect, &QPushButton::clicked, this, &frmSim_3810::cmdConnect_Click);
    connect(m_ui.cmdDisconnect, &QPushButton::clicked, this, &frmSim_3810::cmdDisconnect_Click);
    connect(m_ui.cmdSend, &QPushButton::clicked, this, [this] {
        // Each click is news; a tick of a repeat, or a click that joins a wait, is not.
        if (!m_winsock1->isWaiting())
            m_failureSaid.clear();
        cmdSend_Click();
    });
    connect(m_ui.cmdEnd, &QPushButton::clicked, this, &frmSim_3810::cmdEnd_Click);
    connect(m_ui.cmdClear, &QPushButton::clicked, this, &frmSim_3810::cmdClear_Click);
    connect(m_ui.cmdPingStart, &QPushButton::clicked, this, &frmSim_3810::cmdPingStart_Click);
    connect(m_ui.cmdPingStop, &QPushButton::clicked, this, &frmSim_3810::cmdPingStop_Click);
    connect(m_ui.cmdSite, &QPushButton::clicked, this, &frmSim_3810::cmdSite_Click);
    for (QRadioButton *o : m_ui.optInterval)
        connect(o, &QRadioButton::toggled, this, &frmSim_3810::optInterval_Click);
    for (QRadioButton *o : m_ui.optCommand)
        connect(o, &QRadioButton::toggled, this, &frmSim_3810::optCommand_Click);
    connect(m_sendTimer, &QTimer::timeout, this, &frmSim_3810::cmdSend_Click);

    connect(m_winsock1, &DeviceLink::connected, this, &frmSim_3810::Winsock1_Connect);
    connect(m_winsock1, &DeviceLink::closed, this, &frmSim_3810::Winsock1_Close);
    connect(m_winsock1, &DeviceLink::arrived, this, &frmSim_3810::Winsock1_DataArrival);
    connect(m_winsock1, &DeviceLink::failed, this, [this](const QString &target, const QString &reason) {
        const QString line = u" Socket Connect Fail!! "_s + target + u" : "_s + reason;
        if (std::exchange(m_failureSaid, line) != line)
            AddList(GetTimeStamp() + line);
    });
    connect(m_winsock1, &DeviceLink::sent, this,
            [this](const QByteArray &command) { AddList(sendLine(GetTimeStamp(), command)); });
    connect(m_winsock1, &DeviceLink::waitOver, this, [this] {
        // A click or tick that came during the wait runs now, once.
        if (std::exchange(m_sendAgain, false))
            cmdSend_Click();
    });
    connect(m_ping, &PingSession::line, this, &frmSim_3810::AddList);
}

frmSim_3810::~frmSim_3810() = default;

void frmSim_3810::setDestination(const QString &address, quint16 port)
{
    m_ui.txtDestIP->setText(address);
    m_ui.txtDestPort->setText(QString::number(port));
}

void frmSim_3810::Form_Load()
{
    m_ui.txtDestIP->setText(m_settings->value(u"ADDRESS"_s, u"192.168.1.110"_s).toString());
    m_ui.txtDestPort->setText(m_settings->value(u"PORT"_s, u"4000"_s).toString());
    m_ui.cboTime->setEditText(m_settings->value(u"INTERVAL"_s, u"1"_s).toString());
    m_ui.chkCsv->setChecked(m_settings->value(u"CSV"_s, u"1"_s).toString() != u"0"_s);
}

void frmSim_3810::saveSetting(const QString &key, const QString &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
}

QString frmSim_3810::GetTimeStamp() const
{
    return timeStamp(m_services.clock.utcNow());
}

void frmSim_3810::AddList(const QString &text)
{
    QListWidget *list = m_ui.List1;
    for (int n = entriesToDrop(list->count()); n > 0; --n)
        delete list->takeItem(0);
    list->addItem(text);
    // Every line is in the list at once; a flood of them is drawn and scrolled to a few times a
    // second, not once per line (a redraw of the list costs far more than a report).
    if (m_listShown->isActive()) {
        list->viewport()->setUpdatesEnabled(false);
        m_listBehind = true;
        return;
    }
    list->setCurrentRow(list->count() - 1);
    m_listShown->start();
}

void frmSim_3810::showListEnd()
{
    if (!std::exchange(m_listBehind, false))
        return;
    QListWidget *list = m_ui.List1;
    list->viewport()->setUpdatesEnabled(true);
    list->setCurrentRow(list->count() - 1);
    m_listShown->start();
}

void frmSim_3810::WriteLog(const QByteArray &record)
{
    // Log writes never interrupt the test: a missing folder or full disk is ignored.
    const QString path = m_services.logFolder + u'/' + logFileName(m_services.clock.localDate());
    m_log.append(path, record);
}

void frmSim_3810::cmdConnect_Click()
{
    const auto port = parsePort(m_ui.txtDestPort->text());
    if (!port) {
        m_services.prompter.warning(this, kPortMessage);
        return;
    }
    m_failureSaid.clear();
    m_winsock1->open(m_ui.txtDestIP->text(), *port);
}

void frmSim_3810::Winsock1_Connect()
{
    m_ui.cmdConnect->setEnabled(false);
    m_ui.cmdDisconnect->setEnabled(true);
    m_ui.cmdSend->setEnabled(true);
    m_ui.cmdEnd->setEnabled(true);
    m_failureSaid.clear();
    AddList(GetTimeStamp() + u" Socket Connected!!"_s);
}

void frmSim_3810::cmdDisconnect_Click()
{
    m_winsock1->close();
    Winsock1_Close();
}

void frmSim_3810::Winsock1_Close()
{
    m_ui.cmdConnect->setEnabled(true);
    m_ui.cmdDisconnect->setEnabled(false);
    m_ui.cmdEnd->setEnabled(false);
    AddList(GetTimeStamp() + u" Socket Closed!!"_s);
}

void frmSim_3810::Winsock1_DataArrival(const QByteArray &bytes)
{
    if (bytes.size() > 1)
        ShowReport(bytes);
}

QByteArray frmSim_3810::selectedCommand() const
{
    Command command = Command::Request;
    if (m_ui.optCommand[1]->isChecked())
        command = Command::DoSetting;
    else if (m_ui.optCommand[2]->isChecked())
        command = Command::CountReset;
    return buildCommand(command, argumentByte(m_ui.ComboSet->currentText()),
                        argumentByte(m_ui.ComboValue->currentText()),
                        argumentByte(m_ui.ComboReset->currentText()));
}

void frmSim_3810::cmdSend_Click()
{
    if (m_winsock1->isWaiting()) {
        m_sendAgain = true;
        return;
    }
    // Bad entries stop a running repeat before the box appears, so ticks cannot stack boxes.
    std::optional<quint16> port;
    if (!m_winsock1->isConnected()) {
        port = parsePort(m_ui.txtDestPort->text());
        if (!port) {
            m_sendTimer->stop();
            m_services.prompter.warning(this, kPortMessage);
            return;
        }
    }
    if (m_ui.optInterval[1]->isChecked()) {
        const auto ms = parseIntervalMs(m_ui.cboTime->currentText());
        if (!ms) {
            m_sendTimer->stop();
            m_services.prompter.warning(this, kIntervalMessage);
            return;
        }
        // Re-arming on every tick would add each tick's latency to the next interval.
        if (!m_sendTimer->isActive() || m_sendTimer->interval() != *ms)
            m_sendTimer->start(*ms);
    }
    setSendOptionsEnabled(false);
    m_winsock1->send(selectedCommand(), m_ui.txtDestIP->text(), port.value_or(0));
}

void frmSim_3810::cmdEnd_Click()
{
    m_sendTimer->stop();
    m_sendAgain = false;
    setSendOptionsEnabled(true);
}

void frmSim_3810::setSendOptionsEnabled(bool enabled)
{
    m_ui.optInterval[0]->setEnabled(enabled);
    m_ui.optInterval[1]->setEnabled(enabled);
    m_ui.cboTime->setEnabled(enabled);
}

void frmSim_3810::optInterval_Click()
{
    const bool repeat = m_ui.optInterval[1]->isChecked();
    m_ui.lblTime[0]->setEnabled(repeat);
    m_ui.lblTime[1]->setEnabled(repeat);
    m_ui.cboTime->setEnabled(repeat);
    QPalette p = m_ui.cboTime->palette();
    p.setColor(QPalette::Base, repeat ? QColor(Qt::white) : palette().color(QPalette::Window));
    m_ui.cboTime->setPalette(p);
}

void frmSim_3810::optCommand_Click()
{
    const bool doSetting = m_ui.optCommand[1]->isChecked();
    m_ui.ComboSet->setEnabled(doSetting);
    m_ui.ComboValue->setEnabled(doSetting);
    m_ui.ComboReset->setEnabled(m_ui.optCommand[2]->isChecked());
}

void frmSim_3810::cmdClear_Click()
{
    m_ui.List1->clear();
}

void frmSim_3810::ShowReport(const QByteArray &bytes)
{
    const auto report = decodeReport(bytes);
    if (!report) {
        AddList(wrongLengthLine(bytes.size()));
        return;
    }
    for (int i = 0; i < 6; ++i)
        showText(m_ui.txt_Input[i], QString(report->inputs[i]));
    for (int j = 0; j < 2; ++j)
        showText(m_ui.txt_Output[j], QString(report->outputs[j]));
    for (int i = 0; i < 6; ++i)
        showText(m_ui.txtCounter[i], QString::number(report->counters[i]));
    if (report->checkByte)
        showText(m_ui.txt_CheckSum, checkByteText(*report->checkByte));
    if (report->gapTimes) {
        for (int i = 0; i < 6; ++i)
            showText(m_ui.txtGapTime[i], QString::number((*report->gapTimes)[i]));
    }
    const QString line = recvLine(GetTimeStamp(), bytes);
    AddList(line);
    if (m_ui.optLog[1]->isChecked())
        WriteLog(logRecord(line));
    if (m_ui.chkCsv->isChecked())
        m_csv->write(bytes.size(), *report);
    m_trend->addReport(*report);
}

void frmSim_3810::cmdPingStart_Click()
{
    m_ping->start(m_ui.txtDestIP->text());
    m_ui.txtDestIP->setEnabled(false);
}

void frmSim_3810::cmdPingStop_Click()
{
    if (!m_ping->stop())
        return;
    m_ui.txtDestIP->setEnabled(true);
    AddList(pingEndLine());
}

void frmSim_3810::Label1_Click()
{
    if (!m_services.launcher.openUrl(makerUrl()))
        m_services.prompter.message(this, r5::Prompter::Icon::Critical, u"Error"_s,
                                    u"Could not open "_s + makerUrl().toString());
}

void frmSim_3810::cmdSite_Click()
{
    const QString path = m_services.prompter.openFileName(this, u"Open site list"_s, QString(),
                                                          u"Site lists (*.csv);;All files (*)"_s);
    if (path.isEmpty())
        return;
    const r5site::SiteList list = r5site::readSiteList(path);
    if (!list.ok()) {
        m_services.prompter.warning(this, list.error);
        return;
    }
    auto *site = new frmSite({m_services.prompter, m_services.clock, m_services.launcher, m_services.resolver,
                              [] { return std::make_unique<IcmpEcho>(); }, m_services.logFolder},
                             list.entries, path);
    site->setAttribute(Qt::WA_DeleteOnClose);
    site->show();
}

} // namespace disim
