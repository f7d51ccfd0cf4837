#pragma once

#include <QDialog>

class QLineEdit;

namespace disim {

// What the handover report needs from the installer: the site's name and who hands over. Both
// are remembered for the next report.
class HandoverDialog : public QDialog
{
    Q_OBJECT
public:
    HandoverDialog(const QString &site, const QString &by, QWidget *parent = nullptr);

    QString site() const;
    QString by() const;

private:
    QLineEdit *txtSite = nullptr;
    QLineEdit *txtBy = nullptr;
};

} // namespace disim
