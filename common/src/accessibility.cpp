#include "r5/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
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

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    // Asked once per class of the object, most derived first: answer only that first time.
    if (className != QLatin1StringView(object->metaObject()->className()))
        return nullptr;
    if (auto *label = qobject_cast<QLabel *>(widget); label && label->property(kValueName).isValid())
        return new ValueDisplay(label);
    // Dialogs and main windows have interfaces of their own with the right roles.
    if (widget->windowType() == Qt::Window && !qobject_cast<QDialog *>(widget) &&
        !qobject_cast<QMainWindow *>(widget))
        return new QAccessibleWidget(widget, QAccessible::Window);
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
    label->setAccessibleName(name);
    label->setProperty(kValueName, name);
}

void showValue(QLabel *label, const QString &text)
{
    const QString old = label->text();
    if (old == text)
        return;
    label->setText(text);
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(label, 0, old, text);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace r5::a11y
