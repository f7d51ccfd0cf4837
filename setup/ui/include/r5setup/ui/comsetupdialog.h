#pragma once

#include "r5device/serialsettings.h"

#include <QDialog>
#include <QStringList>

class QComboBox;

namespace r5setup {

// The port settings dialog: lists the ports the system reports and also takes a typed device
// path (pseudo-terminals and some adapters are not listed). The window applies settings()
// when the dialog is accepted.
class ComSetupDialog final : public QDialog
{
    Q_OBJECT
public:
    ComSetupDialog(const SerialSettings &current, const QStringList &ports, QWidget *parent = nullptr);

    // The choices; a field that does not convert keeps the value the dialog opened with.
    SerialSettings settings() const;

private:
    SerialSettings m_initial;
    QComboBox *m_port;
    QComboBox *m_baud;
    QComboBox *m_dataBits;
    QComboBox *m_stopBits;
    QComboBox *m_parity;
    QComboBox *m_flow;
};

// Names of the serial ports the system reports ("COM3", "ttyUSB0").
QStringList availablePortNames();

} // namespace r5setup
