#include "r5setup/ui/defaultpage.h"

#include "r5setup/ui/formwidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

DefaultPage::DefaultPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"TabSheet1"_s);

    auto *info = form::panel(this, u"Panel_Info_Default"_s, {});
    auto *wan = form::panel(this, u"Panel_Info_Wan"_s, u" [WAN 설정]"_s);
    auto *server = form::panel(this, u"Panel_Info_Server"_s, u" [Server 설정]"_s);
    auto *di = form::panel(this, u"Panel_Info_Di"_s, u" [Digital Input 설정]"_s);
    auto *status = form::button(this, u"Btn_CurrentStatus"_s, u"    현재 설정 확인"_s, u"41"_s);

    auto *wanBar = static_cast<QGridLayout *>(wan->layout());
    wanBar->addWidget(form::button(wan, u"Btn_Save_Config_Wan"_s, u"WAN 설정 저장하기"_s), 0, 1);
    wanBar->addWidget(form::button(wan, u"Btn_ping"_s, u"ping"_s), 0, 2);
    wanBar->setColumnStretch(0, 1);
    auto *serverBar = static_cast<QGridLayout *>(server->layout());
    serverBar->addWidget(form::button(server, u"Btn_Save_Config_Server"_s, u"Server 설정 저장하기"_s), 0, 1);
    serverBar->setColumnStretch(0, 1);
    auto *diBar = static_cast<QGridLayout *>(di->layout());
    diBar->addWidget(form::button(di, u"Btn_Save_Config_DI"_s, u"DI 설정 저장하기"_s), 0, 1);
    diBar->setColumnStretch(0, 1);

    auto *layout = new QGridLayout(this);
    layout->addWidget(info, 0, 0);
    layout->addWidget(status, 0, 1, Qt::AlignTop);
    layout->addWidget(wan, 1, 0);
    layout->addWidget(server, 1, 1);
    layout->addWidget(di, 2, 0, 1, 2);
    layout->setRowStretch(2, 1);
}

QString DefaultPage::caption()
{
    return u"    [기본설정]    "_s;
}

} // namespace r5setup
