#include "usersettings.h"

#include <QCheckBox>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, u"devsetup"_s);
}

} // namespace

void rememberCheck(QCheckBox *box, const QString &key, bool byDefault)
{
    box->setChecked(store().value(key, byDefault).toBool());
    QObject::connect(box, &QCheckBox::toggled, box, [key](bool on) { store().setValue(key, on); });
}

} // namespace r5setup
