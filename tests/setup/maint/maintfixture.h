#pragma once

// A devsetup window on the offscreen platform, in its own working folder, with fake boxes,
// clock and launcher, its serial port on a pseudo-terminal; and what the window tests of the
// pages share: the open window on a fresh pseudo-terminal, the log lines it adds and proof that
// nothing went out.
#include "fakes.h"
#include "linksupport.h"
#include "r5device/seriallinkfactory.h"
#include "r5setup/ui/mainwindow.h"
#include "serialpair.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Spaced hex digits as bytes: "7E 05 41".
inline QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

// The stamp of the lines logged at MaintFixture::kNow.
inline const QString kStamp = QStringLiteral("[10:20:30]  ");

// `lines` as logged at MaintFixture::kNow.
inline QStringList stamped(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines)
        out.append(kStamp + l);
    return out;
}

class MaintFixture
{
public:
    static inline const QDateTime kNow{QDate(2026, 12, 7), QTime(10, 20, 30)};

    // init(): the window connected over a fresh pseudo-terminal, with no box or start recorded.
    void open()
    {
        pty = std::make_unique<r5::test::SerialPair>();
        QVERIFY(pty->isValid());
        QVERIFY(prepare(pty->portName()));
        prompter.reset();
        launcher = {};
        makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(connectLink());
        m_seenLines = panel().size();
    }

    // cleanup(): every box was expected and answered.
    void close()
    {
        finish();
        pty.reset();
        QCOMPARE(prompter.unexpected(), QStringList());
        QCOMPARE(prompter.pending(), 0);
        QCOMPARE(prompter.unusedAnswers(), 0);
    }

    // The log lines added since the last call.
    QStringList newLines()
    {
        const QStringList all = panel();
        const QStringList fresh = all.mid(m_seenLines);
        m_seenLines = all.size();
        return fresh;
    }

    // Proves nothing went out before: the next bytes on the line are a status request.
    void nothingSent()
    {
        window->Btn_CurrentStatusClick();
        QCOMPARE(pty->readAtLeast(5).toHex(' '), hex("7E 05 41 50 FE").toHex(' '));
        newLines();
    }

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
        window = std::make_unique<r5setup::MainWindow>(r5setup::Services{prompter, clock, launcher},
                                                       r5setup::makeSerialLink());
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
        return window->link().isOpen();
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
    std::unique_ptr<r5::test::SerialPair> pty; // made by open()

private:
    qsizetype m_seenLines = 0;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
};
