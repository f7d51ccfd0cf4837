#pragma once

#include <QString>

class QWidget;

namespace r5 {

// The one seam for message boxes and file dialogs. Windows receive a Prompter; nothing else
// calls QMessageBox or QFileDialog, so tests can script every answer and see every text.
class Prompter
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };

    virtual ~Prompter() = default;

    // A box with an OK button. An empty title takes the application's name, as the toolkit does.
    virtual void message(QWidget *parent, Icon icon, const QString &title, const QString &text) = 0;

    // A Yes/No question; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text,
                          Icon icon = Icon::Question) = 0;

    // File dialogs; an empty result means the user cancelled.
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter, bool confirmOverwrite = true) = 0;
    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter) = 0;

    void information(QWidget *parent, const QString &text, const QString &title = {})
    {
        message(parent, Icon::Information, title, text);
    }
    void warning(QWidget *parent, const QString &text, const QString &title = {})
    {
        message(parent, Icon::Warning, title, text);
    }
    void error(QWidget *parent, const QString &text, const QString &title = {})
    {
        message(parent, Icon::Critical, title, text);
    }
};

// The real boxes and dialogs.
class WidgetPrompter final : public Prompter
{
public:
    void message(QWidget *parent, Icon icon, const QString &title, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text, Icon icon) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                         bool confirmOverwrite) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
};

} // namespace r5
