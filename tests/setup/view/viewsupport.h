#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

// What a control shows, whatever kind of control it is.
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
