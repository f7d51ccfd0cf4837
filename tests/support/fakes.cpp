#include "fakes.h"

#include <QFileInfo>

namespace r5::test {

void FakePrompter::message(QWidget *, Icon icon, const QString &title, const QString &text)
{
    m_boxes.append({Box::Message, icon, title, text});
}

bool FakePrompter::askYesNo(QWidget *, const QString &title, const QString &text, Icon icon)
{
    m_boxes.append({Box::Question, icon, title, text});
    if (m_answers.isEmpty()) {
        m_unexpected.append(text);
        return false;
    }
    return m_answers.dequeue();
}

QString FakePrompter::saveFileName(QWidget *, const QString &caption, const QString &, const QString &filter,
                                   bool confirmOverwrite)
{
    m_boxes.append({Box::SaveDialog, Icon::None, caption, filter});
    if (m_files.isEmpty()) {
        m_unexpected.append(caption);
        return {};
    }
    const QString chosen = m_files.dequeue();
    if (confirmOverwrite && QFileInfo::exists(chosen))
        ++replaceQuestions;
    return chosen;
}

QString FakePrompter::openFileName(QWidget *, const QString &caption, const QString &, const QString &filter)
{
    m_boxes.append({Box::OpenDialog, Icon::None, caption, filter});
    if (m_files.isEmpty()) {
        m_unexpected.append(caption);
        return {};
    }
    return m_files.dequeue();
}

QList<FakePrompter::Box> FakePrompter::takeBoxes()
{
    QList<Box> out;
    out.swap(m_boxes);
    return out;
}

QStringList FakePrompter::takeTexts()
{
    QStringList out;
    for (const Box &b : std::as_const(m_boxes))
        out.append(b.text);
    m_boxes.clear();
    return out;
}

void FakePrompter::reset()
{
    m_boxes.clear();
    m_answers.clear();
    m_files.clear();
    m_unexpected.clear();
    replaceQuestions = 0;
}

bool FakeLauncher::startDetached(const QString &program, const QStringList &arguments,
                                 const QString &workingDir)
{
    starts.append({program, arguments, workingDir});
    return succeed;
}

bool FakeLauncher::startDetachedToFile(const QString &program, const QStringList &arguments,
                                       const QString &workingDir, const QString &outputFile)
{
    starts.append({program, arguments, workingDir, outputFile});
    return succeed;
}

bool FakeLauncher::openUrl(const QUrl &url)
{
    urls.append(url);
    return succeed;
}

QString FakeLauncher::findExecutable(const QString &name) const
{
    return executables.value(name);
}

} // namespace r5::test
