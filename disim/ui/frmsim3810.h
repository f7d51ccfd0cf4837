#pragma once

#include "r5/appendfile.h"
#include "ui/frmsim3810ui.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <memory>

class QSettings;
class QTimer;

namespace r5 {
class Clock;
class Launcher;
class Prompter;
} // namespace r5

namespace disim {

class DeviceLink;
class Echo;
class HostResolver;
class PingSession;
class ReportCsvFile;
class TrendPanel;

// The DI device test client's only window.
class frmSim_3810 : public QWidget
{
    Q_OBJECT
public:
    struct Services
    {
        r5::Prompter &prompter;
        r5::Clock &clock;
        r5::Launcher &launcher;
        HostResolver &resolver;
        Echo &echo;
        QString logFolder; // "Log" beside the program file
    };

    static const QUrl &makerUrl();

    explicit frmSim_3810(const Services &services, QWidget *parent = nullptr);
    ~frmSim_3810() override;

    // The device to test, as if typed into the address and port boxes (before anything connects).
    void setDestination(const QString &address, quint16 port);

private:
    void Form_Load();
    void cmdConnect_Click();
    void cmdDisconnect_Click();
    void cmdSend_Click();
    void cmdEnd_Click();
    void cmdClear_Click();
    void optInterval_Click();
    void optCommand_Click();
    void cmdPingStart_Click();
    void cmdPingStop_Click();
    void Label1_Click();
    void cmdSite_Click();
    void Winsock1_Connect();
    void Winsock1_Close();
    void Winsock1_DataArrival(const QByteArray &bytes);

    void ShowReport(const QByteArray &bytes);
    void AddList(const QString &text);
    void showListEnd();
    void WriteLog(const QByteArray &record);
    QString GetTimeStamp() const;
    QByteArray selectedCommand() const;
    void setSendOptionsEnabled(bool enabled);
    void saveSetting(const QString &key, const QString &value);

    Services m_services;
    Sim3810Ui m_ui;
    DeviceLink *m_winsock1 = nullptr;
    QTimer *m_sendTimer = nullptr;
    QTimer *m_listShown = nullptr; // the list was drawn and scrolled to its end this recently
    bool m_listBehind = false;     // lines came since
    PingSession *m_ping = nullptr;
    std::unique_ptr<QSettings> m_settings;
    r5::AppendFile m_log;
    TrendPanel *m_trend = nullptr;
    std::unique_ptr<ReportCsvFile> m_csv;
    bool m_sendAgain = false;
    QString m_failureSaid; // the failure last listed; a repeat run lists the same one once
};

} // namespace disim
