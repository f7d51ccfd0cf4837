#pragma once

#include "fakes.h"
#include "r5device/seriallinkfactory.h"
#include "r5setup/ui/mainwindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// Every control the status response writes: page 0 and the two flash fields, in the order
// the device sends them.
inline QStringList statusFieldNames()
{
    QStringList names{QStringLiteral("Panel_DevName"), QStringLiteral("Panel_Version"),
                      QStringLiteral("PanelMacAddr")};
    for (const char *row : {"Edit_IP", "Edit_GW", "Edit_SM"})
        for (int i = 1; i <= 4; ++i)
            names.append(QLatin1StringView(row) + QString::number(i));
    names += {QStringLiteral("Edit_Server_Port"), QStringLiteral("CB_Server_ExpTime"),
              QStringLiteral("RG_Protocol_Mode")};
    for (const char *column : {"CB_ThrouputTime", "CB_CountMode"})
        for (int i = 1; i <= 5; ++i)
            names.append(QLatin1StringView(column) + QString::number(i));
    names += {QStringLiteral("Edit_FlashSaveInt"), QStringLiteral("Edit_FlashSaveDelay")};
    return names;
}

// What a control shows, whatever kind of control it is; for a radio group, its chosen item.
inline QString shownText(const QWidget *w)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(w))
        return edit->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(w))
        return combo->currentText();
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (const auto *group = qobject_cast<const QGroupBox *>(w)) {
        for (const QRadioButton *radio : group->findChildren<QRadioButton *>())
            if (radio->isChecked())
                return radio->text();
    }
    return {};
}

// The log panel's lines, oldest first.
inline QStringList panelLines(const QPlainTextEdit &memo)
{
    const QString text = memo.toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// "[HH:NN:SS]  " + each message.
inline QStringList stamped(const QString &stamp, const QStringList &messages)
{
    QStringList out;
    for (const QString &m : messages)
        out.append(u'[' + stamp + QStringLiteral("]  ") + m);
    return out;
}

// devsetup's window with fakes, in a working folder of its own (cfg/, Log/) made current for
// the test: enter() in init(), leave() in cleanup().
class ViewFixture
{
public:
    explicit ViewFixture(const QDateTime &now) : clock(now) {}

    bool enter()
    {
        dir = std::make_unique<QTemporaryDir>();
        oldCwd = QDir::currentPath();
        prompter.reset();
        return dir->isValid() && QDir::setCurrent(dir->path()) && QDir().mkdir(QStringLiteral("cfg")) &&
               QDir().mkdir(QStringLiteral("Log"));
    }

    // Every box was expected and answered.
    void leave()
    {
        window.reset();
        QDir::setCurrent(oldCwd);
        dir.reset();
        QCOMPARE(prompter.unexpected(), QStringList());
        QCOMPARE(prompter.pending(), 0);
        QCOMPARE(prompter.unusedAnswers(), 0);
    }

    // The window, shown, with cfg/SETUP.INI naming `port`, on `link` (by default the platform's).
    bool makeWindow(const QString &port, std::unique_ptr<r5setup::SerialLink> link = nullptr)
    {
        QFile ini(QStringLiteral("cfg/SETUP.INI"));
        if (!ini.open(QIODevice::WriteOnly) ||
            ini.write("[EnvBoard]\r\nComPort=" + port.toUtf8() + "\r\n") < 0)
            return false;
        ini.close();
        if (!link)
            link = r5setup::makeSerialLink();
        window = std::make_unique<r5setup::MainWindow>(r5setup::Services{prompter, clock, launcher},
                                                       std::move(link));
        window->show();
        return true;
    }

    QString shown(const QString &name) const { return shownText(window->findChild<QWidget *>(name)); }
    QStringList shownAll(const QStringList &names) const
    {
        QStringList out;
        for (const QString &n : names)
            out.append(shown(n));
        return out;
    }

    r5::test::FakePrompter prompter;
    r5::test::FakeClock clock;
    r5::test::FakeLauncher launcher;
    std::unique_ptr<QTemporaryDir> dir;
    QString oldCwd;
    std::unique_ptr<r5setup::MainWindow> window;
};
