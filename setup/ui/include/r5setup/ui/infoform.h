#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;

namespace r5 {
class Launcher;
}

namespace r5setup {

// `Form_Info` (`TForm_Info`), the About window "프로그램 정보": the maker's logo `ImgLogo`,
// the two centred lines of `LbInfo`, the version `Lb_VersionInfo` copied from the main window
// when the form is made, and `Btn_OK`. It has no close box: " 확인 " closes it. A click on the
// logo or the text opens the maker's page.
class InfoForm final : public QDialog
{
    Q_OBJECT
public:
    InfoForm(r5::Launcher &launcher, const QString &version, QWidget *parent = nullptr);

    static QUrl makerPage();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    r5::Launcher &m_launcher;
    QLabel *m_logo;
    QLabel *m_info;
};

} // namespace r5setup
