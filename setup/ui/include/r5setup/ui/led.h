#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace r5setup {

// A round status lamp: lit while a state holds (setOn) or briefly for activity (flash).
class Led final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn)
public:
    Led(const QString &name, QColor colour, QWidget *parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    void flash();

    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
    bool m_on = false;
    QTimer m_flash;
};

} // namespace r5setup
