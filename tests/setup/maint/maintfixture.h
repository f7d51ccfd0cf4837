#pragma once

// A devsetup window on the offscreen platform, in its own working folder, with fake boxes,
// clock and launcher, its serial port on a pseudo-terminal.
#include "fakes.h"
#include "linksupport.h"
#include "ptypair.h"
#include "r5setup/qtseriallink.h"
#include "r5setup/ui/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class MaintFixture
{
public:
    static inline const QDateTime kNow{QDate(2026, 12, 7), QTime(10, 20, 30)};

    // Working folder with cfg/ and Log/, the INI pointing the port at `port`.
    bool prepare(const QString &port)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCwd = QDir::currentPath();
        if (!m_dir->isValid() || !QDir::setCurrent(m_dir->path()) || !QDir().mkdir(QStringLiteral("cfg")) ||
            !QDir().mkdir(QStringLiteral("Log")))
            return false;
        QFile ini(QStringLiteral("cfg/SETUP.INI"));
        return ini.open(QIODevice::WriteOnly) &&
               ini.write("[EnvBoard]\r\nComPort=" + port.toUtf8() + "\r\nBaudRate=115200\r\n") > 0;
    }

    void makeWindow()
    {
        auto link = std::make_unique<r5setup::QtSerialLink>(nullptr, fakeProbes(m_probe));
        m_link = link.get();
        window = std::make_unique<r5setup::MainWindow>(r5setup::Services{prompter, clock, launcher},
                                                       std::move(link));
        window->show();
    }

    void finish()
    {
        window.reset();
        QDir::setCurrent(m_oldCwd);
        m_dir.reset();
    }

    bool connectLink()
    {
        click(QStringLiteral("ButtonStart"));
        return m_link->isOpen();
    }

    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *w = window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    void click(const QString &name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    void setText(const QString &edit, const QString &text) { control<QLineEdit>(edit)->setText(text); }

    // The log panel's lines.
    QStringList panel() const
    {
        const QString text = window->memo().toPlainText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }

    QString path(const QString &name) const { return m_dir->filePath(name); }

    r5::test::FakePrompter prompter;
    r5::test::FakeClock clock{kNow};
    r5::test::FakeLauncher launcher;
    std::unique_ptr<r5setup::MainWindow> window;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    ProbeScript m_probe;
    r5setup::QtSerialLink *m_link = nullptr;
};
