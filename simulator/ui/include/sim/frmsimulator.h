#pragma once

#include "sim/activitylog.h"
#include "sim/simengine.h"

#include <QColor>
#include <QList>
#include <QWidget>
#include <initializer_list>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;

namespace r5 {
class Clock;
class Launcher;
class Prompter;
} // namespace r5

namespace r5::sim {

class AddressEntry;

// The one window of the socket test tool. It owns its controls (they hold the choices), the
// activity log and the engine; boxes, time and the maker's page go through the injected seams.
class frmSimulator : public QWidget
{
    Q_OBJECT
public:
    // `appDir` is the application folder (default log path, Err_Log).
    frmSimulator(r5::Prompter &prompter, const r5::Clock &clock, r5::Launcher &launcher,
                 const QString &appDir, QWidget *parent = nullptr);
    ~frmSimulator() override;

    SimEngine &engine() { return *m_engine; }
    ActivityLog &activityLog() { return *m_log; }

    static QString makerPage();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void buildFrame1();
    void buildFrame2();
    void buildFrame7();
    void buildFrame8();
    void buildProgramFrame();
    void Form_Load();
    void connectRules();
    Options options() const;
    void applyLayout(SimEngine::Layout layout);
    void showNotice(const Notice &notice);
    static void enableAll(std::initializer_list<QWidget *> widgets, bool enabled);
    static void setBackground(std::initializer_list<QWidget *> widgets, const QColor &color);
    static QColor grey();
    static QColor disabledText();
    QColor buttonFace() const;

    // Option rules.
    void opt_ServerClick();
    void opt_ClientClick();
    void actionClick(bool sendOnly);
    void opt_RepeatClick();
    void opt_OneTimeClick();
    void logLevelClick(bool withFile);
    void Opt_Cnn1Click();
    void Opt_Cnn2Click();
    void chkModeClick(bool checked);
    void cmd_browserClick();
    void setTimeControls(bool enabled);

    r5::Prompter &m_prompter;
    const r5::Clock &m_clock;
    r5::Launcher &m_launcher;
    QString m_appDir;
    ActivityLog *m_log = nullptr;
    SimEngine *m_engine = nullptr;
    AddressEntry *m_address = nullptr;

    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame7 = nullptr;
    QGroupBox *Frame8 = nullptr;
    QGroupBox *fraBack = nullptr;
    QGroupBox *Frame10 = nullptr;
    QRadioButton *opt_Server = nullptr;
    QRadioButton *opt_Client = nullptr;
    QLineEdit *txt_Simulator_IP = nullptr;
    QLineEdit *txt_Port = nullptr;
    QList<QLineEdit *> txt_Destination_IP;
    QLineEdit *txt_Destination_Port = nullptr;
    QRadioButton *opt_Ascii = nullptr;
    QRadioButton *opt_HexA = nullptr;
    QRadioButton *opt_Receive_Only = nullptr;
    QRadioButton *opt_Send_Only = nullptr;
    QRadioButton *opt_Send_input = nullptr;
    QRadioButton *opt_Send_recv = nullptr;
    QRadioButton *opt_Repeat = nullptr;
    QRadioButton *opt_OneTime = nullptr;
    QLabel *lblTimegap = nullptr;
    QLabel *lblCount = nullptr;
    QComboBox *com_Timegap = nullptr;
    QComboBox *com_Count = nullptr;
    QRadioButton *opt_None = nullptr;
    QRadioButton *opt_List = nullptr;
    QRadioButton *opt_File = nullptr;
    QRadioButton *Opt_List_File = nullptr;
    QLabel *lblLogfile = nullptr;
    QLineEdit *txt_Logfile = nullptr;
    QPushButton *cmd_browser = nullptr;
    QRadioButton *Opt_Cnn1 = nullptr;
    QRadioButton *Opt_Cnn2 = nullptr;
    QPushButton *Cmd_Start = nullptr;
    QPushButton *cmd_CSend = nullptr;
    QPushButton *cmd_End = nullptr;
    QPushButton *cmd_Log = nullptr;
    QLineEdit *txt_Data_Input = nullptr;
    QPushButton *Cmd_Send = nullptr;
    QLabel *Label9 = nullptr;
    QCheckBox *chkMode = nullptr;
    QList<QLineEdit *> txtStep;
    QList<QLabel *> lvlcnt_Byte;
    QList<QComboBox *> txtTimeGap;
    QPushButton *cmdSendStart = nullptr;
    QListView *List1 = nullptr;
    QLabel *Label11 = nullptr;
};

} // namespace r5::sim
