#include "ui/frmsim3810ui.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
QString indexed(const QString &name, int i)
{
    return name + u'(' + QString::number(i) + u')';
}

template <typename W> W *named(W *w, const QString &name, const QString &accessible)
{
    w->setObjectName(name);
    w->setAccessibleName(accessible);
    return w;
}

QPushButton *button(const QString &name, const QString &caption)
{
    return named(new QPushButton(caption), name, caption.trimmed());
}

QRadioButton *option(const QString &name, int i, const QString &caption)
{
    return named(new QRadioButton(caption), indexed(name, i), caption.trimmed());
}

QComboBox *dropDown(const QString &name, const QStringList &items, const QString &accessible)
{
    auto *c = named(new QComboBox, name, accessible);
    c->addItems(items);
    c->setCurrentIndex(0);
    c->setEnabled(false);
    return c;
}

// A frame of labelled read-only boxes, one row per channel.
template <std::size_t N>
QGroupBox *fieldFrame(const QString &caption, std::array<QLineEdit *, N> &boxes, const QString &name,
                      const QString &labelPrefix)
{
    auto *frame = new QGroupBox(caption);
    auto *grid = new QGridLayout(frame);
    for (int i = 0; i < int(N); ++i) {
        const QString label =
            labelPrefix + QString::number(i).rightJustified(labelPrefix.startsWith(u"CH"_s) ? 2 : 1, u'0');
        // "Counter 0" says it all; "CH00" needs its frame ("DI CH00").
        const QString spoken = label.startsWith(caption.trimmed()) ? label : caption.trimmed() + u' ' + label;
        boxes[i] = named(new QLineEdit, indexed(name, i), spoken);
        boxes[i]->setReadOnly(true);
        grid->addWidget(new QLabel(label), i, 0);
        grid->addWidget(boxes[i], i, 1);
    }
    return frame;
}
} // namespace

void Sim3810Ui::setupUi(QWidget *form)
{
    auto *tcp = new QGroupBox(u" TCP Information "_s);
    auto *tcpGrid = new QGridLayout(tcp);
    txtDestIP = named(new QLineEdit, u"txtDestIP"_s, u"Destination IP"_s);
    txtDestIP->setMaxLength(15);
    txtDestPort = named(new QLineEdit, u"txtDestPort"_s, u"Port"_s);
    txtDestPort->setMaxLength(5);
    cmdConnect = button(u"cmdConnect"_s, u"Connect"_s);
    cmdDisconnect = button(u"cmdDisconnect"_s, u"Disconnect"_s);
    cmdDisconnect->setEnabled(false);
    tcpGrid->addWidget(new QLabel(u"Destination IP"_s), 0, 0);
    tcpGrid->addWidget(txtDestIP, 0, 1);
    tcpGrid->addWidget(cmdConnect, 0, 2);
    tcpGrid->addWidget(new QLabel(u"Port"_s), 1, 0);
    tcpGrid->addWidget(txtDestPort, 1, 1);
    tcpGrid->addWidget(cmdDisconnect, 1, 2);
    cmdSite = button(u"cmdSite"_s, u"Site"_s);
    tcpGrid->addWidget(cmdSite, 2, 2);

    auto *action = new QGroupBox(u" Data Send Action "_s);
    auto *actionGrid = new QGridLayout(action);
    optInterval[1] = option(u"optInterval"_s, 1, u"Repeat"_s);
    optInterval[0] = option(u"optInterval"_s, 0, u"OneTime Send"_s);
    optInterval[0]->setChecked(true);
    lblTime[0] = named(new QLabel(u"Time Interval"_s), indexed(u"lblTime"_s, 0), u"Time Interval"_s);
    lblTime[1] = named(new QLabel(u"(Second)"_s), indexed(u"lblTime"_s, 1), u"(Second)"_s);
    cboTime = named(new QComboBox, u"cboTime"_s, u"Time Interval in seconds"_s);
    cboTime->setEditable(true);
    // Enter keeps the typed interval; the list stays "1" to "15".
    cboTime->setInsertPolicy(QComboBox::NoInsert);
    for (int s = 1; s <= 15; ++s)
        cboTime->addItem(QString::number(s));
    cboTime->setEditText(u"1"_s);
    for (QWidget *w : {static_cast<QWidget *>(lblTime[0]), static_cast<QWidget *>(lblTime[1]),
                       static_cast<QWidget *>(cboTime)})
        w->setEnabled(false);
    actionGrid->addWidget(optInterval[1], 0, 0);
    actionGrid->addWidget(optInterval[0], 0, 1, 1, 2);
    actionGrid->addWidget(lblTime[0], 1, 0);
    actionGrid->addWidget(cboTime, 1, 1);
    actionGrid->addWidget(lblTime[1], 1, 2);

    auto *send = new QGroupBox(u" Data Send "_s);
    auto *sendGrid = new QGridLayout(send);
    optCommand[0] = option(u"optCommand"_s, 0, u"R (Request)"_s);
    optCommand[1] = option(u"optCommand"_s, 1, u"T (DO Setting) "_s);
    optCommand[2] = option(u"optCommand"_s, 2, u"C (Count Reset)"_s);
    optCommand[0]->setChecked(true);
    ComboSet = dropDown(u"ComboSet"_s, {u"1"_s, u"2"_s, u"A"_s}, u"DO Channel"_s);
    ComboValue = dropDown(u"ComboValue"_s, {u"0"_s, u"1"_s}, u"DO Value"_s);
    ComboReset = dropDown(u"ComboReset"_s, {u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"A"_s},
                          u"Counter Reset Channel"_s);
    Label1[0] = named(new QLabel(u"Channel"_s), indexed(u"Label1"_s, 0), u"Channel"_s);
    cmdSend = button(u"cmdSend"_s, u"Send"_s);
    cmdEnd = button(u"cmdEnd"_s, u"End"_s);
    cmdEnd->setEnabled(false);
    cmdClear = button(u"cmdClear"_s, u"List Clear"_s);
    for (int i = 0; i < 3; ++i)
        sendGrid->addWidget(optCommand[i], i, 0);
    sendGrid->addWidget(Label1[0], 0, 1);
    sendGrid->addWidget(ComboSet, 1, 1);
    sendGrid->addWidget(ComboReset, 2, 1);
    sendGrid->addWidget(new QLabel(u"Value"_s), 0, 2);
    sendGrid->addWidget(ComboValue, 1, 2);
    sendGrid->addWidget(cmdSend, 0, 3);
    sendGrid->addWidget(cmdEnd, 1, 3);
    sendGrid->addWidget(cmdClear, 2, 3);

    auto *logLevel = new QGroupBox(u" Log Level "_s);
    auto *logGrid = new QGridLayout(logLevel);
    optLog[1] = option(u"optLog"_s, 1, u"List + File"_s);
    optLog[0] = option(u"optLog"_s, 0, u"List"_s);
    optLog[0]->setChecked(true);
    logGrid->addWidget(optLog[1], 0, 0);
    logGrid->addWidget(optLog[0], 0, 1);
    chkCsv = named(new QCheckBox(u"CSV"_s), u"chkCsv"_s, u"CSV"_s);
    logGrid->addWidget(chkCsv, 0, 2);

    auto *ping = new QGroupBox(u" Ping TEST "_s);
    auto *pingGrid = new QGridLayout(ping);
    cmdPingStart = button(u"cmdPingStart"_s, u"Ping Start"_s);
    cmdPingStop = button(u"cmdPingStop"_s, u"Ping Stop"_s);
    pingGrid->addWidget(cmdPingStart, 0, 0);
    pingGrid->addWidget(cmdPingStop, 0, 1);

    auto *checkSum = new QGroupBox(u"CheckSum"_s);
    auto *checkGrid = new QGridLayout(checkSum);
    txt_CheckSum = named(new QLineEdit, u"txt_CheckSum"_s, u"CheckSum"_s);
    txt_CheckSum->setReadOnly(true);
    checkGrid->addWidget(new QLabel(u"CheckSum"_s), 0, 0);
    checkGrid->addWidget(txt_CheckSum, 0, 1);

    List1 = named(new QListWidget, u"List1"_s, u"Activity"_s);
    // One line each: without this every added line measures all thousand lines again.
    List1->setUniformItemSizes(true);
    Label1[1] = named(new QLabel, indexed(u"Label1"_s, 1), u"Maker's web page"_s);
    Label1[1]->setCursor(Qt::PointingHandCursor);
    auto *panel = new QGroupBox;
    panel->setObjectName(u"SSPanel2"_s);
    (new QGridLayout(panel))->addWidget(Label1[1], 0, 0);

    auto *fixed = new QWidget;
    auto *grid = new QGridLayout(fixed);
    grid->addWidget(tcp, 0, 0);
    grid->addWidget(action, 0, 1);
    grid->addWidget(send, 1, 0, 1, 2);
    grid->addWidget(logLevel, 2, 0);
    grid->addWidget(ping, 2, 1);
    auto *fields = new QGridLayout;
    fields->addWidget(fieldFrame(u" DI "_s, txt_Input, u"txt_Input"_s, u"CH"_s), 0, 0, 2, 1);
    fields->addWidget(fieldFrame(u" DO"_s, txt_Output, u"txt_Output"_s, u"CH"_s), 0, 1);
    fields->addWidget(checkSum, 1, 1);
    fields->addWidget(fieldFrame(u" Counter "_s, txtCounter, u"txtCounter"_s, u"Counter "_s), 0, 2, 2, 1);
    fields->addWidget(fieldFrame(u"GapTime"_s, txtGapTime, u"txtGapTime"_s, u"GapTime "_s), 0, 3, 2, 1);
    grid->addLayout(fields, 3, 0, 1, 2);
    grid->addWidget(List1, 4, 0, 1, 2);
    grid->addWidget(panel, 5, 0, 1, 2);
    splTrend = named(new QSplitter, u"splTrend"_s, u"Trend"_s);
    splTrend->addWidget(fixed);
    auto *outer = new QHBoxLayout(form);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(splTrend);
}

} // namespace disim
