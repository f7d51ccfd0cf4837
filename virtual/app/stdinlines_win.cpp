#include "stdinlines.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <iostream>
#include <string>
#include <thread>

// The Windows console gives no event for its input: one reader thread, left to end with the
// process (a read blocked on the console cannot be called off).
struct StdinLines::Platform
{
};

StdinLines::StdinLines(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    QPointer<StdinLines> self(this);
    std::thread([self] {
        std::string text;
        while (std::getline(std::cin, text)) {
            const QString line = QString::fromLocal8Bit(text.data(), qsizetype(text.size())).trimmed();
            // The application, not `self`, carries the line over: a QPointer is read only on the
            // thread that owns its object.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, line] {
                    if (self)
                        Q_EMIT self->line(line);
                },
                Qt::QueuedConnection);
        }
    }).detach();
}

StdinLines::~StdinLines()
{
    delete m_platform;
}
