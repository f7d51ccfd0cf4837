#pragma once

#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"

#include <QList>
#include <QQueue>
#include <QStringList>

namespace r5::test {

// A prompter that answers from a script and records every box. Each box must be taken by the
// test (takeTexts()/takeBoxes()); a question without a scripted answer is a failure, recorded
// in unexpected() and answered No, so a forgotten confirmation never sends anything.
class FakePrompter final : public Prompter
{
public:
    struct Box
    {
        enum Kind { Message, Question, SaveDialog, OpenDialog } kind;
        Icon icon;
        QString title;
        QString text;
    };

    void message(QWidget *parent, Icon icon, const QString &title, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text, Icon icon) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                         bool confirmOverwrite) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;

    // Script the next answers.
    void answerYes() { m_answers.enqueue(true); }
    void answerNo() { m_answers.enqueue(false); }
    void answerFile(const QString &path) { m_files.enqueue(path); }

    // Boxes shown since the last take, oldest first.
    QList<Box> takeBoxes();
    QStringList takeTexts();
    int pending() const { return int(m_boxes.size()); }

    // Questions or dialogs that came without a scripted answer.
    QStringList unexpected() const { return m_unexpected; }
    // Scripted answers nobody asked for.
    int unusedAnswers() const { return int(m_answers.size() + m_files.size()); }

    // Clears everything (between test functions).
    void reset();

    // Save dialogs that asked whether to replace the existing file that was chosen.
    int replaceQuestions = 0;

private:
    QList<Box> m_boxes;
    QQueue<bool> m_answers;
    QQueue<QString> m_files;
    QStringList m_unexpected;
};

// A clock that stands still until told to move.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(const QDateTime &local = QDateTime(QDate(2026, 12, 7), QTime(9, 15, 2, 125)))
        : m_local(local)
    {}
    QDateTime localNow() const override { return m_local; }
    QDateTime utcNow() const override { return m_local.toUTC(); }

    void set(const QDateTime &local) { m_local = local; }
    void advanceMs(qint64 ms) { m_local = m_local.addMSecs(ms); }

private:
    QDateTime m_local;
};

// A launcher that starts nothing and records what it was asked to start.
class FakeLauncher final : public Launcher
{
public:
    struct Start
    {
        QString program;
        QStringList arguments;
        QString workingDir;
        QString outputFile = {}; // empty: started with a console of its own
    };

    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDir) override;
    bool startDetachedToFile(const QString &program, const QStringList &arguments, const QString &workingDir,
                             const QString &outputFile) override;
    bool openUrl(const QUrl &url) override;
    QString findExecutable(const QString &name) const override;

    QList<Start> starts;
    QList<QUrl> urls;
    bool succeed = true;
    // Names findExecutable() reports as present, with the path it returns.
    QHash<QString, QString> executables;
};

} // namespace r5::test
