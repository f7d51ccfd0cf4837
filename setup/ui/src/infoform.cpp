#include "r5setup/ui/infoform.h"

#include "r5/launcher.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/jpegimage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

constexpr QSize kFormSize(498, 150);

} // namespace

InfoForm::InfoForm(r5::Launcher &launcher, const QString &version, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_launcher(launcher),
      m_logo(new QLabel(this)), m_info(new QLabel(this))
{
    setObjectName(u"Form_Info"_s);
    setWindowTitle(u"프로그램 정보"_s);
    setFixedSize(kFormSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    m_logo->setObjectName(u"ImgLogo"_s);
    m_logo->setPixmap(QPixmap::fromImage(makerLogo()));
    m_logo->setCursor(Qt::PointingHandCursor);
    m_logo->installEventFilter(this);

    m_info->setObjectName(u"LbInfo"_s);
    m_info->setText(u"Korvia R5200TX Serial Setup Program \nCopyright (C) Korvia. All rights reserved."_s);
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setCursor(Qt::PointingHandCursor);
    m_info->installEventFilter(this);

    auto *versionLabel = new QLabel(version, this);
    versionLabel->setObjectName(u"Lb_VersionInfo"_s);
    QFont bold = versionLabel->font();
    bold.setBold(true);
    versionLabel->setFont(bold);

    QPushButton *ok = form::button(this, u"Btn_OK"_s, u" 확인 "_s);
    ok->setToolTip(u"창닫기"_s);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(versionLabel);
    bottom->addStretch();
    bottom->addWidget(ok);
    auto *right = new QVBoxLayout;
    right->addWidget(m_info, 1);
    right->addLayout(bottom);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_logo);
    layout->addLayout(right, 1);
}

QUrl InfoForm::makerPage()
{
    return QUrl(u"https://www.example.com/"_s);
}

bool InfoForm::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_logo || watched == m_info) && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_launcher.openUrl(makerPage());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void InfoForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
}

} // namespace r5setup
