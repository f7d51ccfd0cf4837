// What each option and button does to the other controls, and the handlers behind the buttons.
#include "r5/accessibility.h"
#include "r5/prompter.h"
#include "sim/frmsimulator.h"
#include "sim/textbytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace r5::sim {

namespace {
// An option's rule runs when it becomes selected, by a click or by another rule.
template <class F> void onSelected(QRadioButton *button, QObject *context, F rule)
{
    QObject::connect(button, &QRadioButton::toggled, context, [rule](bool on) {
        if (on)
            rule();
    });
}
} // namespace

void frmSimulator::connectRules()
{
    onSelected(opt_Server, this, [this] { opt_ServerClick(); });
    onSelected(opt_Client, this, [this] { opt_ClientClick(); });
    onSelected(opt_Send_Only, this, [this] { actionClick(true); });
    for (QRadioButton *b : {opt_Receive_Only, opt_Send_input, opt_Send_recv})
        onSelected(b, this, [this] { actionClick(false); });
    onSelected(opt_Repeat, this, [this] { opt_RepeatClick(); });
    onSelected(opt_OneTime, this, [this] { opt_OneTimeClick(); });
    for (QRadioButton *b : {opt_None, opt_List})
        onSelected(b, this, [this] { logLevelClick(false); });
    for (QRadioButton *b : {opt_File, Opt_List_File})
        onSelected(b, this, [this] { logLevelClick(true); });
    onSelected(Opt_Cnn1, this, [this] { Opt_Cnn1Click(); });
    onSelected(Opt_Cnn2, this, [this] { Opt_Cnn2Click(); });
    for (QRadioButton *b : {opt_Ascii, opt_HexA})
        onSelected(b, this, [this] { txt_Data_Input->clear(); });
    connect(chkMode, &QCheckBox::toggled, this, &frmSimulator::chkModeClick);

    const auto format = [this] { return opt_HexA->isChecked() ? DataFormat::Hex : DataFormat::Ascii; };
    connect(txt_Data_Input, &QLineEdit::textChanged, this, [this, format](const QString &text) {
        r5::a11y::showValue(Label9, QString::number(byteCount(text, format())));
    });
    for (int i = 0; i < txtStep.size(); ++i) {
        connect(txtStep[i], &QLineEdit::textChanged, this, [this, i, format](const QString &text) {
            r5::a11y::showValue(lvlcnt_Byte[i], QString::number(byteCount(text, format())));
        });
    }

    connect(Cmd_Start, &QPushButton::clicked, m_engine, &SimEngine::startRun);
    connect(cmd_End, &QPushButton::clicked, m_engine, &SimEngine::endRun);
    connect(Cmd_Send, &QPushButton::clicked, m_engine, &SimEngine::sendOnce);
    connect(cmd_CSend, &QPushButton::clicked, m_engine, &SimEngine::connectSendClose);
    connect(cmdSendStart, &QPushButton::clicked, m_engine, &SimEngine::toggleProgram);
    connect(cmd_Log, &QPushButton::clicked, m_log, &ActivityLog::clearList);
    connect(cmd_browser, &QPushButton::clicked, this, &frmSimulator::cmd_browserClick);
}

void frmSimulator::setTimeControls(bool enabled)
{
    enableAll({lblTimegap, lblCount, com_Timegap, com_Count}, enabled);
}

void frmSimulator::opt_ServerClick()
{
    opt_Repeat->setEnabled(true);
    opt_Repeat->setChecked(true);
    enableAll({com_Timegap, com_Count, txt_Destination_Port}, true);
    setBackground({com_Timegap, com_Count, txt_Destination_Port}, Qt::white);
    for (QLineEdit *box : std::as_const(txt_Destination_IP)) {
        box->setEnabled(true);
        setBackground({box}, Qt::white);
    }
    txt_Port->setEnabled(false);
    setBackground({txt_Port}, grey());
    Cmd_Start->setText(u"Connect"_s);
}

void frmSimulator::opt_ClientClick()
{
    opt_Repeat->setEnabled(false);
    opt_OneTime->setChecked(true);
    enableAll({com_Timegap, com_Count, txt_Destination_Port}, false);
    setBackground({com_Timegap, com_Count, txt_Destination_Port}, grey());
    for (QLineEdit *box : std::as_const(txt_Destination_IP)) {
        box->setEnabled(false);
        setBackground({box}, grey());
    }
    txt_Port->setEnabled(true);
    setBackground({txt_Port}, Qt::white);
    Cmd_Start->setText(u"Listen"_s);
}

void frmSimulator::actionClick(bool sendOnly)
{
    // Program mode is left first, so that its own rule does not enable "Repeat" again.
    if (!sendOnly)
        chkMode->setChecked(false);
    chkMode->setEnabled(sendOnly);
    enableAll({opt_Repeat, opt_OneTime, com_Timegap, com_Count}, sendOnly);
    setBackground({com_Timegap, com_Count}, sendOnly ? QColor(Qt::white) : buttonFace());
}

void frmSimulator::opt_RepeatClick()
{
    setTimeControls(true);
}

void frmSimulator::opt_OneTimeClick()
{
    setTimeControls(false);
}

void frmSimulator::logLevelClick(bool withFile)
{
    enableAll({lblLogfile, txt_Logfile, cmd_browser}, withFile);
}

void frmSimulator::Opt_Cnn1Click()
{
    enableAll({Cmd_Start, Cmd_Send, cmd_End}, true);
    cmd_CSend->setEnabled(false);
}

void frmSimulator::Opt_Cnn2Click()
{
    enableAll({Cmd_Start, Cmd_Send, cmd_End}, false);
    cmd_CSend->setEnabled(true);
}

void frmSimulator::chkModeClick(bool checked)
{
    enableAll({txt_Data_Input, cmd_End, Cmd_Start, Cmd_Send}, !checked);
    if (checked) {
        opt_OneTime->setChecked(true);
        opt_Repeat->setEnabled(false);
    } else {
        opt_Repeat->setEnabled(true);
    }
    Frame10->setEnabled(checked);
}

void frmSimulator::cmd_browserClick()
{
    const QString dir = QFileInfo(txt_Logfile->text()).absolutePath();
    // No question about replacing an existing file: the file is appended to, never replaced.
    const QString path = m_prompter.saveFileName(this, QString(), dir, u"Text Files (*.log)"_s, false);
    if (path.isEmpty())
        return;
    txt_Logfile->setText(path);
    // Created when missing; an existing log keeps its lines, as every log here is only appended to.
    // A file that cannot be made is refused when the next connection run prepares it.
    QFile file(path);
    (void)file.open(QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace r5::sim
