#include "r5setup/ui/comsetupdialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QComboBox *makeCombo(QWidget *parent, const QString &name, const QString &label, const QStringList &items,
                     const QString &current, bool editable)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setAccessibleName(label);
    combo->setEditable(editable);
    combo->addItems(items);
    const int at = combo->findText(current);
    if (at >= 0)
        combo->setCurrentIndex(at);
    else if (editable)
        combo->setEditText(current);
    return combo;
}

} // namespace

ComSetupDialog::ComSetupDialog(const SerialSettings &current, const QStringList &ports, QWidget *parent)
    : QDialog(parent), m_initial(current)
{
    setObjectName(u"ComSetupDialog"_s);
    setWindowTitle(u"Setup"_s);

    QStringList portItems = ports;
    if (!portItems.contains(current.portName))
        portItems.prepend(current.portName);
    QStringList bauds;
    for (const qint32 rate : QSerialPortInfo::standardBaudRates())
        bauds.append(QString::number(rate));

    m_port = makeCombo(this, u"CB_Port"_s, u"Port"_s, portItems, current.portName, true);
    m_baud =
        makeCombo(this, u"CB_BaudRate"_s, u"Baud rate"_s, bauds, QString::number(current.baudRate), true);
    m_baud->lineEdit()->setValidator(new QIntValidator(1, 100000000, m_baud));
    m_dataBits = makeCombo(this, u"CB_DataBits"_s, u"Data bits"_s, dataBitsTexts(),
                           QString::number(current.dataBits), false);
    m_stopBits =
        makeCombo(this, u"CB_StopBits"_s, u"Stop bits"_s, stopBitsTexts(), toText(current.stopBits), false);
    m_parity = makeCombo(this, u"CB_Parity"_s, u"Parity"_s, parityTexts(), toText(current.parity), false);
    m_flow = makeCombo(this, u"CB_FlowControl"_s, u"Flow control"_s, flowControlTexts(),
                       toText(current.flowControl), false);

    auto *form = new QFormLayout;
    form->addRow(u"Port"_s, m_port);
    form->addRow(u"Baud rate"_s, m_baud);
    form->addRow(u"Data bits"_s, m_dataBits);
    form->addRow(u"Stop bits"_s, m_stopBits);
    form->addRow(u"Parity"_s, m_parity);
    form->addRow(u"Flow control"_s, m_flow);

    auto *ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"Btn_OK"_s);
    ok->setDefault(true);
    auto *cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"Btn_Cancel"_s);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

SerialSettings ComSetupDialog::settings() const
{
    SerialSettings s = m_initial;
    const QString port = m_port->currentText().trimmed();
    if (!port.isEmpty())
        s.portName = port;
    s.baudRate = baudRateFromText(m_baud->currentText()).value_or(s.baudRate);
    s.dataBits = dataBitsFromText(m_dataBits->currentText()).value_or(s.dataBits);
    s.stopBits = stopBitsFromText(m_stopBits->currentText()).value_or(s.stopBits);
    s.parity = parityFromText(m_parity->currentText()).value_or(s.parity);
    s.flowControl = flowControlFromText(m_flow->currentText()).value_or(s.flowControl);
    return s;
}

QStringList availablePortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names.append(info.portName());
    return names;
}

} // namespace r5setup
