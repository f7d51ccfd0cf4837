#include "r5/suitefonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QSet>

using namespace Qt::StringLiterals;

namespace r5 {

int registerSuiteFonts(const QString &folder)
{
    static QSet<QString> done;
    const QString dir = folder.isEmpty() ? QCoreApplication::applicationDirPath() + u"/fonts"_s : folder;
    if (done.contains(dir))
        return 0;
    done.insert(dir);
    int added = 0;
    const QStringList files =
        QDir(dir).entryList({u"*.ttf"_s, u"*.otf"_s, u"*.ttc"_s}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        if (QFontDatabase::addApplicationFont(dir + u'/' + file) >= 0)
            ++added;
    }
    return added;
}

QFont suiteFont(FontRole role, qreal pointSize)
{
    registerSuiteFonts();
    QStringList families;
    QFont::StyleHint hint = QFont::SansSerif;
    switch (role) {
    case FontRole::Sans:
        families = {u"DejaVu Sans"_s, u"Arial"_s};
        break;
    case FontRole::Korean:
        families = {u"NanumGothic"_s, u"굴림"_s, u"Gulim"_s, u"Malgun Gothic"_s};
        break;
    case FontRole::Mono:
        families = {u"NanumGothicCoding"_s, u"DejaVu Sans Mono"_s, u"Courier New"_s};
        hint = QFont::TypeWriter;
        break;
    }
    QFont font(families.first());
    font.setFamilies(families);
    font.setStyleHint(hint);
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    return font;
}

} // namespace r5
