#pragma once

#include "sim/textbytes.h"

#include <QObject>
#include <functional>

namespace r5::sim {

// Key filter of the data input and program step boxes: a typed character beyond one byte is
// dropped, and in hex format so is anything but a hex digit or Backspace. Keys that type no
// character (arrows, Delete, Tab, Enter) pass.
class DataKeyFilter : public QObject
{
    Q_OBJECT
public:
    DataKeyFilter(std::function<DataFormat()> format, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<DataFormat()> m_format;
};

} // namespace r5::sim
