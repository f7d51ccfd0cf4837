#include "r5/guide.h"

#include "r5/launcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace r5 {

QString guideLanguage(const QLocale &locale)
{
    return locale.language() == QLocale::Korean ? u"ko"_s : u"en"_s;
}

QUrl guidePage(const QString &page, const QLocale &locale)
{
    const QString language = guideLanguage(locale);
    const QString programs = QCoreApplication::applicationDirPath();
    // Beside the program first (Windows, the ZIP, the build tree), then where the package puts it.
    const QStringList folders{programs + u"/guide"_s, programs + u'/' + QStringLiteral(R5_GUIDE_INSTALLED)};
    for (const QString &folder : folders) {
        const QString file = folder + u'/' + language + u'/' + page;
        if (QFileInfo::exists(file))
            return QUrl::fromLocalFile(QDir::cleanPath(file));
    }
    return QUrl::fromLocalFile(QDir::cleanPath(folders.last() + u'/' + language + u'/' + page));
}

void addGuideKey(QWidget *window, Launcher &launcher, const QString &page)
{
    auto *key = new QShortcut(QKeySequence::HelpContents, window);
    key->setObjectName(u"GuideKey"_s);
    QObject::connect(key, &QShortcut::activated, window,
                     [&launcher, page] { launcher.openUrl(guidePage(page)); });
}

} // namespace r5
