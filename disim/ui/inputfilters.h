#pragma once

#include <QObject>
#include <functional>

namespace disim {

// Lets through only digits, "." and Backspace typed into the address, port and interval boxes;
// any other typed character beeps and is dropped. Editing keys (arrows, Delete, shortcuts
// such as paste) pass, so pasted text is not filtered.
class EntryKeyFilter final : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Calls `onClick` when the watched widget is clicked with the left button (labels acting as links).
class ClickFilter final : public QObject
{
    Q_OBJECT
public:
    ClickFilter(std::function<void()> onClick, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onClick;
};

} // namespace disim
