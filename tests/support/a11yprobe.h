#pragma once

// What assistive technology reads from a control: role, name and value, through QAccessible.
// (Change notices cannot be watched here: without a platform bridge, as on the offscreen
// platform, Qt drops them; what is read is always the control's current state.)
#include <QAccessible>
#include <QTest>

namespace r5::test {

// The interface of `object`, or of its cell (row, column) when row >= 0.
inline QAccessibleInterface *accessibleOf(QObject *object, int row = -1, int column = -1)
{
    QAccessibleInterface *iface = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
    if (iface && row >= 0)
        iface = iface->tableInterface() ? iface->tableInterface()->cellAt(row, column) : nullptr;
    return iface;
}

// The columns of a table of controls and what a screen reader reads from them.
inline void addAccessibleColumns()
{
    QTest::addColumn<QString>("control"); // object name; empty: the window itself
    QTest::addColumn<int>("row");         // a list row or grid cell, or -1
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
}

} // namespace r5::test

// Role, name and value of `iface`; a static text's text interface says the value too.
#define R5_COMPARE_ACCESSIBLE(iface, role, name, value)                                                      \
    do {                                                                                                     \
        QAccessibleInterface *i_ = (iface);                                                                  \
        QVERIFY(i_);                                                                                         \
        QCOMPARE(int(i_->role()), int(role));                                                                \
        QCOMPARE(i_->text(QAccessible::Name), name);                                                         \
        QCOMPARE(i_->text(QAccessible::Value), value);                                                       \
        if (QAccessibleTextInterface *t_ = i_->textInterface(); t_ && i_->role() == QAccessible::StaticText) \
            QCOMPARE(t_->text(0, t_->characterCount()), value);                                              \
    } while (false)

// One row of that table, its controls found in `window`.
#define R5_CHECK_ACCESSIBLE_ROW(window)                                                                      \
    do {                                                                                                     \
        QFETCH(QString, control);                                                                            \
        QFETCH(int, row);                                                                                    \
        QFETCH(int, column);                                                                                 \
        QFETCH(int, role);                                                                                   \
        QFETCH(QString, name);                                                                               \
        QFETCH(QString, value);                                                                              \
        QObject *object_ = control.isEmpty()                                                                 \
                               ? static_cast<QObject *>(window)                                              \
                               : static_cast<QObject *>((window)->findChild<QWidget *>(control));            \
        QVERIFY2(object_, qPrintable(control));                                                              \
        R5_COMPARE_ACCESSIBLE(r5::test::accessibleOf(object_, row, column), role, name, value);              \
    } while (false)
