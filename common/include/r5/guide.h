#pragma once

#include <QLocale>
#include <QString>
#include <QUrl>

class QWidget;

// The user guide: local HTML pages in Korean and English, installed beside the programs (Windows,
// build tree: guide/ next to the program) or with the package's documentation (Linux).
namespace r5 {

class Launcher;

// The guide's language for `locale`: "ko" for a Korean locale, "en" otherwise. Whatever else
// speaks the user's language without asking (the handover report) follows the same choice.
QString guideLanguage(const QLocale &locale = QLocale());

// The guide's page `page` (a file name such as "devsetup.html") in the language of `locale`
// (guideLanguage()). The first folder that holds the page wins; when
// none does, the page where the installed guide would be.
QUrl guidePage(const QString &page, const QLocale &locale = QLocale());

// F1 anywhere in `window` opens `page` of the guide in the default browser through `launcher`.
void addGuideKey(QWidget *window, Launcher &launcher, const QString &page);

} // namespace r5
