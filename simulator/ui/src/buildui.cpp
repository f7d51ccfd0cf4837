// Controls of frmSimulator, frame by frame, with their captions and design-time states.
#include "r5/accessibility.h"
#include "r5/screenfit.h"
#include "r5/suitefonts.h"
#include "sim/frmsimulator.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace r5::sim {

namespace {
template <class W> W *named(W *w, const QString &name, const QString &accessible = {})
{
    w->setObjectName(name);
    if (!accessible.isEmpty())
        w->setAccessibleName(accessible);
    return w;
}

QRadioButton *option(QWidget *parent, QButtonGroup *group, const QString &name, const QString &caption)
{
    auto *b = named(new QRadioButton(caption, parent), name, QString(caption).replace(u"&&"_s, u"&"_s));
    group->addButton(b);
    return b;
}

QComboBox *combo(QWidget *parent, const QString &name, const QString &accessible, const QStringList &items)
{
    auto *c = named(new QComboBox(parent), name, accessible);
    c->setEditable(true);
    // Enter keeps the typed value; the lists stay as they are.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    return c;
}

// Frames are packed tightly so that the activity list, the tool's main output, gets the
// height of the fixed window.
template <class L> L *compact(L *layout)
{
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(2);
    return layout;
}

constexpr int kListRows = 20;

QStringList numbers(int from, int to, int step)
{
    QStringList out;
    for (int v = from; v <= to; v += step)
        out.append(QString::number(v));
    return out;
}
} // namespace

void frmSimulator::buildUi()
{
    setFont(r5::suiteFont(r5::FontRole::Sans, 9));
    // Disabled text stays readable on the grey boxes (contrast above 4.5 : 1 on 0xC0C0C0).
    QPalette readable = palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        readable.setColor(QPalette::Disabled, role, disabledText());
    setPalette(readable);

    buildFrame1();
    buildFrame2();
    buildFrame7();
    buildFrame8();
    buildProgramFrame();

    List1 = named(new QListView(this), u"List1"_s, u"Activity list"_s);
    List1->setFont(r5::suiteFont(r5::FontRole::Sans, 9.75));
    List1->setUniformItemSizes(true);
    // The list is what the tool is read by: 20 rows whatever font the system gives it, the
    // window growing past its design size if it must.
    r5::reserveRows(List1, kListRows);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setModel(m_log->model());

    Label11 = named(new QLabel(makerPage(), this), u"Label11"_s, u"Maker's web page"_s);
    Label11->setCursor(Qt::PointingHandCursor);
    Label11->setStyleSheet(u"color: blue; text-decoration: underline;"_s);
    Label11->installEventFilter(this);

    // 11085 x 11265 twips, frame included.
    auto *fit = new r5::ScreenFit(this, r5::ScreenFit::Sizing::Fixed, QSize(731, 722));
    auto *grid = new QGridLayout(fit->page());
    grid->setContentsMargins(6, 4, 6, 2);
    grid->setSpacing(4);
    grid->addWidget(Frame1, 0, 0);
    grid->addWidget(Frame7, 1, 0);
    grid->addWidget(Frame2, 0, 1);
    grid->addWidget(Frame8, 1, 1);
    grid->addWidget(fraBack, 2, 0, 1, 2);
    grid->addWidget(List1, 3, 0, 1, 2);
    grid->addWidget(Label11, 4, 0, 1, 2, Qt::AlignRight);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);
}

void frmSimulator::buildFrame1()
{
    Frame1 = named(new QGroupBox(u" [ Korvia ] "_s, this), u"Frame1"_s);
    auto *role = new QButtonGroup(Frame1);
    opt_Server = option(Frame1, role, u"opt_Server"_s, u"Server"_s);
    opt_Client = option(Frame1, role, u"opt_Client"_s, u"Client"_s);
    txt_Simulator_IP = named(new QLineEdit(Frame1), u"txt_Simulator_IP"_s, u"Simulator IP"_s);
    txt_Simulator_IP->setReadOnly(true);
    txt_Simulator_IP->setMaximumWidth(130);
    txt_Port = named(new QLineEdit(Frame1), u"txt_Port"_s, u"Listen port number"_s);
    txt_Port->setFixedWidth(52);
    auto *octets = new QHBoxLayout;
    octets->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        auto *box = named(new QLineEdit(Frame1), u"txt_Destination_IP_"_s + QString::number(i),
                          u"Destination IP octet "_s + QString::number(i + 1));
        box->setFixedWidth(34);
        box->setAlignment(Qt::AlignCenter);
        txt_Destination_IP.append(box);
        octets->addWidget(box);
    }
    txt_Destination_Port =
        named(new QLineEdit(Frame1), u"txt_Destination_Port"_s, u"Destination port number"_s);
    txt_Destination_Port->setFixedWidth(52);

    auto *g = compact(new QGridLayout(Frame1));
    g->addWidget(opt_Server, 0, 0);
    g->addWidget(opt_Client, 0, 1);
    g->addWidget(new QLabel(u"Simulator IP"_s, Frame1), 1, 0);
    g->addWidget(txt_Simulator_IP, 1, 1);
    g->addWidget(new QLabel(u"Port No"_s, Frame1), 1, 2);
    g->addWidget(txt_Port, 1, 3);
    g->addWidget(new QLabel(u"Destination IP"_s, Frame1), 2, 0, 1, 2);
    g->addLayout(octets, 3, 0, 1, 2);
    g->addWidget(new QLabel(u"Port No"_s, Frame1), 3, 2);
    g->addWidget(txt_Destination_Port, 3, 3);
    g->setRowStretch(4, 1);
}

void frmSimulator::buildFrame2()
{
    Frame2 = named(new QGroupBox(u"[ Action ]"_s, this), u"Frame2"_s);
    auto *format = new QButtonGroup(Frame2);
    opt_Ascii = option(Frame2, format, u"opt_Ascii"_s, u"ASCII"_s);
    opt_HexA = option(Frame2, format, u"opt_HexA"_s, u"HexA"_s);
    auto *action = new QButtonGroup(Frame2);
    opt_Receive_Only = option(Frame2, action, u"opt_Receive_Only"_s, u"Receive Only"_s);
    opt_Send_Only = option(Frame2, action, u"opt_Send_Only"_s, u"Send Input Data && Receive"_s);
    opt_Send_input = option(Frame2, action, u"opt_Send_input"_s, u"Receive && Send Input Data"_s);
    opt_Send_recv = option(Frame2, action, u"opt_Send_recv"_s, u"Receive && Send Receive Data"_s);
    auto *once = new QButtonGroup(Frame2);
    opt_Repeat = option(Frame2, once, u"opt_Repeat"_s, u"Repeat"_s);
    opt_OneTime = option(Frame2, once, u"opt_OneTime"_s, u"OneTime"_s);
    com_Timegap = combo(Frame2, u"com_Timegap"_s, u"Time gap in seconds"_s, numbers(1, 15, 1));
    com_Count = combo(Frame2, u"com_Count"_s, u"Count"_s, QStringList{u"Endless"_s} + numbers(1, 50, 1));
    lblTimegap = named(new QLabel(u"Time gap"_s, Frame2), u"lblTimegap"_s);
    lblCount = named(new QLabel(u"Count"_s, Frame2), u"lblCount"_s);

    auto *g = compact(new QGridLayout(Frame2));
    g->addWidget(opt_Ascii, 0, 0);
    g->addWidget(opt_HexA, 0, 1);
    g->addWidget(opt_Receive_Only, 1, 0, 1, 2);
    g->addWidget(opt_Send_Only, 2, 0, 1, 2);
    g->addWidget(opt_Send_input, 3, 0, 1, 2);
    g->addWidget(opt_Send_recv, 4, 0, 1, 2);
    g->addWidget(opt_Repeat, 0, 2);
    g->addWidget(opt_OneTime, 0, 3, 1, 2);
    g->addWidget(lblTimegap, 2, 2);
    g->addWidget(com_Timegap, 2, 3);
    g->addWidget(new QLabel(u"(sec)"_s, Frame2), 2, 4);
    g->addWidget(lblCount, 3, 2);
    g->addWidget(com_Count, 3, 3, 1, 2);
    g->setColumnStretch(1, 1);
}

void frmSimulator::buildFrame7()
{
    Frame7 = named(new QGroupBox(u" [ Log Level ] "_s, this), u"Frame7"_s);
    auto *level = new QButtonGroup(Frame7);
    opt_None = option(Frame7, level, u"opt_None"_s, u"None"_s);
    opt_List = option(Frame7, level, u"opt_List"_s, u"List"_s);
    opt_File = option(Frame7, level, u"opt_File"_s, u"File"_s);
    Opt_List_File = option(Frame7, level, u"Opt_List_File"_s, u"List + File"_s);
    lblLogfile = named(new QLabel(u"Logfile"_s, Frame7), u"lblLogfile"_s);
    txt_Logfile = named(new QLineEdit(Frame7), u"txt_Logfile"_s, u"Log file"_s);
    cmd_browser = named(new QPushButton(u"..."_s, Frame7), u"cmd_browser"_s, u"Choose log file"_s);
    cmd_browser->setFixedWidth(30);

    auto *g = compact(new QGridLayout(Frame7));
    g->addWidget(opt_None, 0, 0);
    g->addWidget(opt_List, 0, 1);
    g->addWidget(opt_File, 0, 2);
    g->addWidget(Opt_List_File, 0, 3);
    auto *file = new QHBoxLayout;
    file->addWidget(lblLogfile);
    file->addWidget(txt_Logfile, 1);
    file->addWidget(cmd_browser);
    g->addLayout(file, 1, 0, 1, 4);
}

void frmSimulator::buildFrame8()
{
    Frame8 = named(new QGroupBox(u" [ Data Input ] "_s, this), u"Frame8"_s);
    auto *mode = new QButtonGroup(Frame8);
    Opt_Cnn1 = option(Frame8, mode, u"Opt_Cnn1"_s, u"Connect"_s);
    Opt_Cnn2 = option(Frame8, mode, u"Opt_Cnn2"_s, u"Connect && Close"_s);
    Cmd_Start = named(new QPushButton(Frame8), u"Cmd_Start"_s);
    cmd_CSend = named(new QPushButton(u"Connect && Send && Recv && Close"_s, Frame8), u"cmd_CSend"_s);
    cmd_End = named(new QPushButton(u"Close"_s, Frame8), u"cmd_End"_s);
    cmd_Log = named(new QPushButton(u"Log Clear"_s, Frame8), u"cmd_Log"_s);
    txt_Data_Input = named(new QLineEdit(Frame8), u"txt_Data_Input"_s, u"Data input"_s);
    Cmd_Send = named(new QPushButton(u"Send OneTime"_s, Frame8), u"Cmd_Send"_s);
    Label9 = named(new QLabel(u"0"_s, Frame8), u"Label9"_s);
    r5::a11y::markValueDisplay(Label9, u"Data input bytes"_s);

    auto *g = compact(new QGridLayout(Frame8));
    g->addWidget(Opt_Cnn1, 0, 0);
    g->addWidget(Opt_Cnn2, 0, 1);
    g->addWidget(cmd_Log, 0, 2, Qt::AlignRight);
    auto *run = new QHBoxLayout;
    run->addWidget(Cmd_Start);
    run->addWidget(cmd_End);
    run->addWidget(cmd_CSend, 1);
    g->addLayout(run, 1, 0, 1, 3);
    auto *send = new QHBoxLayout;
    send->addWidget(txt_Data_Input, 1);
    send->addWidget(Cmd_Send);
    send->addWidget(Label9);
    send->addWidget(new QLabel(u"bytes"_s, Frame8));
    g->addLayout(send, 2, 0, 1, 3);
}

void frmSimulator::buildProgramFrame()
{
    fraBack = named(new QGroupBox(this), u"fraBack"_s);
    chkMode = named(new QCheckBox(u"Program Mode"_s, fraBack), u"chkMode"_s, u"Program Mode"_s);
    Frame10 = named(new QGroupBox(fraBack), u"Frame10"_s);
    const QStringList gaps = numbers(100, 900, 100) + numbers(1000, 9000, 1000) + numbers(10000, 30000, 1000);
    // Two steps a row, each followed by the gap to the next one.
    auto *g = compact(new QGridLayout(Frame10));
    constexpr int kCells = 7;
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i);
        const QString caption = QString::number(i + 1) + u" Step"_s;
        const int row = i / 2;
        const int col = (i % 2) * kCells;
        auto *step = named(new QLineEdit(Frame10), u"txtStep_"_s + n, caption);
        auto *count = named(new QLabel(u"0"_s, Frame10), u"lvlcnt_Byte_"_s + n);
        r5::a11y::markValueDisplay(count, caption + u" bytes"_s);
        txtStep.append(step);
        lvlcnt_Byte.append(count);
        g->addWidget(new QLabel(caption, Frame10), row, col);
        g->addWidget(step, row, col + 1);
        g->addWidget(count, row, col + 2, Qt::AlignRight);
        g->addWidget(new QLabel(u"bytes"_s, Frame10), row, col + 3);
        if (i < 3) {
            auto *gap = combo(Frame10, u"txtTimeGap_"_s + n,
                              u"Time Gap after step "_s + QString::number(i + 1), gaps);
            gap->setCurrentIndex(-1);
            gap->setMinimumContentsLength(5);
            txtTimeGap.append(gap);
            g->addWidget(new QLabel(u"Time Gap"_s, Frame10), row, col + 4);
            g->addWidget(gap, row, col + 5);
            g->addWidget(new QLabel(u"(ms)"_s, Frame10), row, col + 6);
        }
    }
    cmdSendStart = named(new QPushButton(u"Start"_s, Frame10), u"cmdSendStart"_s);
    g->addWidget(cmdSendStart, 1, kCells + 4, 1, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(kCells + 1, 1);

    auto *v = new QVBoxLayout(fraBack);
    v->setContentsMargins(6, 2, 6, 2);
    v->setSpacing(0);
    v->addWidget(chkMode);
    v->addWidget(Frame10);
}

} // namespace r5::sim
