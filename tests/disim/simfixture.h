#pragma once

#include "fakes.h"
#include "pingfakes.h"
#include "r5device/tcp/icmpecho.h"
#include "ui/frmsim3810.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace disim::test {

// Points the per-user settings store at a temporary folder; call before any window exists.
inline void isolateSettings(const QTemporaryDir &dir)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

// One frmSim_3810 with fake seams, driven by the names of its controls.
struct SimFixture
{
    explicit SimFixture(bool realEcho = false) { create(realEcho); }

    void create(bool realEcho = false)
    {
        window.reset();
        Echo &e = realEcho ? static_cast<Echo &>(icmp) : static_cast<Echo &>(echo);
        HostResolver &r =
            realEcho ? static_cast<HostResolver &>(systemResolver) : static_cast<HostResolver &>(resolver);
        window = std::make_unique<frmSim_3810>(
            frmSim_3810::Services{prompter, clock, launcher, r, e, logDir.path()});
        window->show();
    }

    template <typename T = QWidget> T *child(const QString &name) const
    {
        T *w = window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(name); }
    QComboBox *combo(const QString &name) const { return child<QComboBox>(name); }
    QRadioButton *option(const QString &name) const { return child<QRadioButton>(name); }
    QPushButton *button(const QString &name) const { return child<QPushButton>(name); }

    void click(const QString &name) const { QTest::mouseClick(child(name), Qt::LeftButton); }
    void choose(const QString &option) const
    {
        QTest::mouseClick(this->option(option), Qt::LeftButton, {}, QPoint(4, 4));
    }
    // Types into an address, port or interval box as a person would: the keys go to the
    // widget that has the focus (for a combo box, the box itself, not its inner editor).
    void type(const QString &name, const QString &text) const
    {
        QWidget *w = child(name);
        QLineEdit *e = qobject_cast<QLineEdit *>(w);
        if (!e)
            e = qobject_cast<QComboBox *>(w)->lineEdit();
        w->setFocus();
        e->selectAll();
        key(name, Qt::Key_Backspace);
        QTest::keyClicks(focused(w), text);
    }
    void key(const QString &name, Qt::Key k) const { QTest::keyClick(focused(child(name)), k); }
    static QWidget *focused(QWidget *fallback)
    {
        QWidget *f = QApplication::focusWidget();
        return f ? f : fallback;
    }

    QStringList lines() const
    {
        QStringList out;
        const auto *list = child<QListWidget>(QStringLiteral("List1"));
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QString text(const QString &name) const { return edit(name)->text(); }

    QTemporaryDir logDir;
    r5::test::FakePrompter prompter;
    r5::test::FakeClock clock;
    r5::test::FakeLauncher launcher;
    FakeResolver resolver;
    FakeEcho echo;
    SystemResolver systemResolver;
    IcmpEcho icmp;
    std::unique_ptr<frmSim_3810> window;
};

} // namespace disim::test
