#include "r5/prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace r5 {

namespace {
QMessageBox::Icon toBoxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}
} // namespace

void WidgetPrompter::message(QWidget *parent, Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(toBoxIcon(icon), titleOr(title), text, QMessageBox::Ok, parent);
    box.exec();
}

bool WidgetPrompter::askYesNo(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    QMessageBox box(toBoxIcon(icon), titleOr(title), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetPrompter::saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                     const QString &filter, bool confirmOverwrite)
{
    QFileDialog::Options options;
    if (!confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, nullptr, options);
}

QString WidgetPrompter::openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                     const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

} // namespace r5
