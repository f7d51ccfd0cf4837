#include "r5/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace r5::a11y {

namespace {

constexpr const char *kValueName = "r5AccessibleValueName";

// A label that shows a value: the caption is its name, the shown text its value and text.
class ValueDisplay final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ValueDisplay(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return label()->property(kValueName).toString();
        case QAccessible::Value:
            return shown();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }

    // QAccessibleTextInterface over the shown text; nothing in it can be selected or edited.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return shown().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(object()); }
    QString shown() const { return label()->text(); }
};

// Windows made of a plain widget: Qt exposes them as a client area (a "filler") even when they
// are a program's only window. The role is read live, as the same class may be a page.
class PlainWidget final : public QAccessibleWidget
{
public:
    explicit PlainWidget(QWidget *widget) : QAccessibleWidget(widget) {}
    QAccessible::Role role() const override
    {
        return widget()->windowType() == Qt::Window ? QAccessible::Window : QAccessible::Client;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == "QLabel"_L1 && widget->property(kValueName).isValid())
        return new ValueDisplay(static_cast<QLabel *>(widget));
    // Asked class by class, most derived first: reaching QWidget itself means no interface
    // of a Qt control fits, and the widget is a plain one (a window or a page).
    if (className == "QWidget"_L1)
        return new PlainWidget(widget);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void markValueDisplay(QLabel *label, const QString &name)
{
    install();
    label->setProperty(kValueName, name);
    // Setting its text may already have made the label's plain interface: drop it, so the
    // next question gets the display's.
    if (QAccessibleInterface *plain = QAccessible::queryAccessibleInterface(label);
        plain && !dynamic_cast<ValueDisplay *>(plain))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    label->setAccessibleName(name);
}

void showValue(QLabel *label, const QString &text)
{
    const QString old = label->text();
    if (old == text)
        return;
    label->setText(text);
    QAccessibleTextUpdateEvent event(label, 0, old, text);
    QAccessible::updateAccessibility(&event);
}

} // namespace r5::a11y
