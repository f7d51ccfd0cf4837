#pragma once

#include <QObject>
#include <QString>

// The console's input, a line at a time, from the event loop: the fleet takes its commands here.
class StdinLines : public QObject
{
    Q_OBJECT
public:
    explicit StdinLines(QObject *parent = nullptr);
    ~StdinLines() override;

Q_SIGNALS:
    void line(const QString &text);

private:
    struct Platform; // stdinlines_linux.cpp, stdinlines_win.cpp
    Platform *m_platform = nullptr;
};
