#include "ui/handoverdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace disim {

HandoverDialog::HandoverDialog(const QString &site, const QString &by, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"dlgHandover"_s);
    setWindowTitle(u"Handover report"_s);
    txtSite = new QLineEdit(site);
    txtSite->setObjectName(u"txtSite"_s);
    txtSite->setAccessibleName(u"Site"_s);
    txtBy = new QLineEdit(by);
    txtBy->setObjectName(u"txtBy"_s);
    txtBy->setAccessibleName(u"Handed over by"_s);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto *form = new QFormLayout(this);
    form->addRow(u"Site"_s, txtSite);
    form->addRow(u"Handed over by"_s, txtBy);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A report names its site: OK waits for one.
    const auto needSite = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!txtSite->text().trimmed().isEmpty());
    };
    connect(txtSite, &QLineEdit::textChanged, this, needSite);
    needSite();
}

QString HandoverDialog::site() const
{
    return txtSite->text().trimmed();
}

QString HandoverDialog::by() const
{
    return txtBy->text().trimmed();
}

} // namespace disim
