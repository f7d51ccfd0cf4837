#include "sim/frmsimulator.h"

#include "addressentry.h"
#include "datakeyfilter.h"
#include "r5/clock.h"
#include "r5/guide.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "sim/logpaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace r5::sim {

namespace {
QString localAddress()
{
    const auto all = QNetworkInterface::allAddresses();
    for (const QHostAddress &a : all) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    }
    return u"127.0.0.1"_s;
}

Prompter::Icon promptIcon(Notice::Icon icon)
{
    switch (icon) {
    case Notice::Icon::Information:
        return Prompter::Icon::Information;
    case Notice::Icon::Exclamation:
        return Prompter::Icon::Warning;
    case Notice::Icon::Critical:
        return Prompter::Icon::Critical;
    case Notice::Icon::None:
        break;
    }
    return Prompter::Icon::None;
}
} // namespace

frmSimulator::frmSimulator(r5::Prompter &prompter, const r5::Clock &clock, r5::Launcher &launcher,
                           const QString &appDir, QWidget *parent)
    : QWidget(parent), m_prompter(prompter), m_clock(clock), m_launcher(launcher), m_appDir(appDir)
{
    setObjectName(u"frmSimulator"_s);
    setWindowTitle(u"Korvia Simulator Ver3.5.1 (2011/06/08)"_s);
    r5::addGuideKey(this, launcher, u"simulator.html"_s);
    m_log = new ActivityLog(m_clock, m_appDir, this);
    buildUi();
    m_engine = new SimEngine([this] { return options(); }, *m_log, this);
    m_address = new AddressEntry(
        txt_Destination_IP, txt_Destination_Port, [this](const Notice &n) { showNotice(n); }, this);

    auto *keys = new DataKeyFilter(
        [this] { return opt_HexA->isChecked() ? DataFormat::Hex : DataFormat::Ascii; }, this);
    txt_Data_Input->installEventFilter(keys);
    for (QLineEdit *step : std::as_const(txtStep))
        step->installEventFilter(keys);

    // Design-time selections and states.
    opt_Server->setChecked(true);
    opt_Ascii->setChecked(true);
    opt_Send_recv->setChecked(true);
    opt_Repeat->setChecked(true);
    opt_List->setChecked(true);
    Opt_Cnn1->setChecked(true);
    enableAll({opt_Repeat, opt_OneTime, com_Timegap, com_Count, txt_Logfile, cmd_browser, lblLogfile,
               cmd_CSend, Frame10},
              false);
    setBackground({com_Timegap, com_Count}, buttonFace());

    Form_Load();
    connectRules();

    connect(m_engine, &SimEngine::notice, this, &frmSimulator::showNotice);
    connect(m_engine, &SimEngine::layoutChanged, this, &frmSimulator::applyLayout);
    connect(m_engine, &SimEngine::programStartedChanged, this,
            [this](bool started) { cmdSendStart->setText(started ? u"End"_s : u"Start"_s); });
    connect(m_engine, &SimEngine::stepGapFilled, this,
            [this](int i, const QString &text) { txtTimeGap.value(i)->setEditText(text); });
    connect(m_log->model(), &ActivityModel::rowsShown, this, [this] {
        const QModelIndex last = m_log->model()->index(m_log->model()->rowCount() - 1);
        List1->setCurrentIndex(last);
        List1->scrollTo(last);
    });
}

frmSimulator::~frmSimulator() = default;

QString frmSimulator::makerPage()
{
    return u"https://www.example.com/"_s;
}

void frmSimulator::Form_Load()
{
    txt_Simulator_IP->setText(localAddress());
    setBackground({txt_Simulator_IP}, grey());
    txt_Port->setEnabled(false);
    setBackground({txt_Port}, grey());
    com_Timegap->setCurrentIndex(0);
    com_Count->setCurrentIndex(0);
    m_address->load();
    txt_Logfile->setText(defaultUserLogPath(m_appDir, m_clock.localDate()));
    Cmd_Start->setText(u"Connect"_s);
    Cmd_Send->setEnabled(false);
    cmd_End->setEnabled(false);
}

Options frmSimulator::options() const
{
    Options o;
    o.role = opt_Server->isChecked() ? Role::Connect : Role::Listen;
    o.action = opt_Receive_Only->isChecked() ? Action::ReceiveOnly
               : opt_Send_Only->isChecked()  ? Action::SendOnly
               : opt_Send_input->isChecked() ? Action::SendInput
                                             : Action::SendReceived;
    o.format = opt_HexA->isChecked() ? DataFormat::Hex : DataFormat::Ascii;
    o.level = opt_None->isChecked()   ? LogLevel::None
              : opt_List->isChecked() ? LogLevel::List
              : opt_File->isChecked() ? LogLevel::File
                                      : LogLevel::ListFile;
    o.repeat = opt_Repeat->isChecked();
    o.closeAfter = Opt_Cnn2->isChecked();
    o.programMode = chkMode->isChecked();
    for (const QLineEdit *box : txt_Destination_IP)
        o.destination.append(box->text());
    o.destinationPort = txt_Destination_Port->text();
    o.listenPort = txt_Port->text();
    o.timeGap = com_Timegap->currentText();
    o.count = com_Count->currentText();
    o.input = txt_Data_Input->text();
    o.logPath = txt_Logfile->text();
    for (const QLineEdit *step : txtStep)
        o.steps.append(step->text());
    for (const QComboBox *gap : txtTimeGap)
        o.stepGaps.append(gap->currentText());
    return o;
}

void frmSimulator::applyLayout(SimEngine::Layout layout)
{
    const bool closeAfter = Opt_Cnn2->isChecked();
    switch (layout) {
    case SimEngine::Layout::Connecting:
        Cmd_Start->setEnabled(false);
        break;
    case SimEngine::Layout::Connected:
        enableAll({Frame1, Frame2, txt_Logfile, Frame10, chkMode}, false);
        Cmd_Send->setEnabled(!closeAfter);
        cmd_End->setEnabled(true);
        break;
    case SimEngine::Layout::Listening:
        enableAll({Frame1, Frame2, txt_Logfile, Cmd_Start}, false);
        Cmd_Send->setEnabled(true);
        cmd_End->setEnabled(true);
        break;
    case SimEngine::Layout::ListenRetry:
        // Only "Close" leaves the retries; the role and port stay as the run uses them.
        enableAll({Frame1, Frame2, txt_Logfile, Cmd_Start, Cmd_Send}, false);
        cmd_End->setEnabled(true);
        break;
    case SimEngine::Layout::Idle:
        enableAll({Frame1, Frame2, Frame10, chkMode}, true);
        txt_Logfile->setEnabled(opt_File->isChecked() || Opt_List_File->isChecked());
        Cmd_Start->setEnabled(!closeAfter);
        Cmd_Send->setEnabled(false);
        cmd_End->setEnabled(false);
        break;
    }
}

void frmSimulator::enableAll(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

void frmSimulator::setBackground(std::initializer_list<QWidget *> widgets, const QColor &color)
{
    for (QWidget *w : widgets) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, color);
        w->setPalette(p);
    }
}

QColor frmSimulator::grey()
{
    return QColor(0xC0, 0xC0, 0xC0);
}

QColor frmSimulator::disabledText()
{
    return QColor(0x48, 0x48, 0x48);
}

QColor frmSimulator::buttonFace() const
{
    return palette().color(QPalette::Button);
}

void frmSimulator::showNotice(const Notice &notice)
{
    m_prompter.message(this, promptIcon(notice.icon), notice.title, notice.text);
}

bool frmSimulator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label11 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_launcher.openUrl(QUrl(makerPage()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace r5::sim
