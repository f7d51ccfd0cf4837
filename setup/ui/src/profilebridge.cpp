#include "profilebridge.h"

#include "r5/wholefile.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/defaultpage.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/mainwindow.h"
#include "saveverifier.h"
#include "usersettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

const QString kFilter = u"Profiles (*.ini);;All files (*)"_s;
const QString kPassword = u"AP.Password"_s;
// Profiles are a few hundred bytes; anything this large was chosen by mistake.
constexpr qint64 kMaxProfileBytes = 4 * 1024 * 1024;

QString joined(const std::array<QLineEdit *, 4> &edits)
{
    QStringList octets;
    for (const QLineEdit *e : edits)
        octets.append(e->text());
    return octets.join(u'.');
}

void showOctets(const std::array<QLineEdit *, 4> &edits, const std::array<std::uint8_t, 4> &values)
{
    for (std::size_t i = 0; i < 4; ++i)
        form::showText(edits[i], QString::number(values[i]));
}

} // namespace

ProfileBridge::ProfileBridge(MainWindow &window) : QObject(&window), m_window(window)
{
    setObjectName(u"ProfileBridge"_s);
    QWidget *area = window.defaultPage().toolArea();
    m_verify = new QCheckBox(u"Verify after save"_s, area);
    m_verify->setObjectName(u"CB_VerifyAfterSave"_s);
    m_verify->setAccessibleName(u"Verify after save"_s);
    rememberCheck(m_verify, u"Field/VerifyAfterSave"_s, false);
    auto *save = form::button(area, u"Btn_SaveProfile"_s, u"Save profile…"_s);
    auto *load = form::button(area, u"Btn_LoadProfile"_s, u"Load profile…"_s);
    auto *record = form::button(area, u"Btn_RecordFile"_s, u"Record file…"_s);
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_verify, 0, 0);
    grid->addWidget(record, 0, 1);
    grid->addWidget(save, 1, 0);
    grid->addWidget(load, 1, 1);
    connect(save, &QPushButton::clicked, this, &ProfileBridge::Btn_SaveProfileClick);
    connect(load, &QPushButton::clicked, this, &ProfileBridge::Btn_LoadProfileClick);
    connect(record, &QPushButton::clicked, this, &ProfileBridge::Btn_RecordFileClick);
    m_verifier = new SaveVerifier(window, m_verify);
}

r5commission::Fields ProfileBridge::pageFields() const
{
    const DefaultPage &page = m_window.defaultPage();
    r5commission::Fields f;
    f.insert(u"WAN.IP"_s, joined(page.ipEdits()));
    f.insert(u"WAN.Gateway"_s, joined(page.gatewayEdits()));
    f.insert(u"WAN.Mask"_s, joined(page.maskEdits()));
    f.insert(u"Server.Port"_s, page.serverPort()->text());
    f.insert(u"Server.Expire"_s, page.expiryTime()->currentText());
    f.insert(u"Server.Mode"_s, page.protocolMode()->itemIndex() == 0 ? u"N"_s : u"G"_s);
    for (std::size_t i = 0; i < 5; ++i) {
        const QString n = QString::number(i + 1);
        f.insert(u"DI.Time"_s + n, page.throughputTimes()[i]->currentText());
        f.insert(u"DI.Mode"_s + n, page.countModes()[i]->currentIndex() == 0 ? u"F"_s : u"R"_s);
    }
    // The access point only once the device has named one.
    const QString ssid = m_window.apPage().ssidEdit()->text();
    if (!ssid.isEmpty() && ssid != u"Not Queried"_s)
        f.insert(u"AP.SSID"_s, ssid);
    return f;
}

void ProfileBridge::fill(const r5commission::Wanted &wanted, bool withPassword)
{
    DefaultPage &page = m_window.defaultPage();
    if (const auto &wan = wanted.wan) {
        showOctets(page.ipEdits(), wan->ip);
        showOctets(page.gatewayEdits(), wan->gateway);
        showOctets(page.maskEdits(), wan->mask);
    }
    if (const auto &server = wanted.server) {
        form::showText(page.serverPort(), QString::number(server->port));
        form::showText(page.expiryTime(), QString::number(server->expiry));
        page.protocolMode()->setItemIndex(server->mode == 'N' ? 0 : 1);
    }
    if (const auto &di = wanted.di) {
        for (std::size_t i = 0; i < 5; ++i) {
            form::showText(page.throughputTimes()[i], QString::number(di->times[i]));
            page.countModes()[i]->setCurrentIndex(di->modes[i] == 'F' ? 0 : 1);
        }
    }
    if (const auto &ap = wanted.ap) {
        // Without a password in the profile the field keeps the device's, as the command line does.
        form::showText(m_window.apPage().ssidEdit(), ap->ssid);
        if (withPassword)
            form::showText(m_window.apPage().passwordEdit(), ap->password);
    }
}

void ProfileBridge::refuse(const QString &where, const maint::Refusal &refusal)
{
    // The profile rules' messages name the key they refuse.
    m_window.prompter().warning(&m_window, where + u": "_s + refusal.message);
}

void ProfileBridge::Btn_SaveProfileClick()
{
    const r5commission::Fields fields = pageFields();
    const auto checked = r5commission::checkFields(fields);
    if (!checked)
        return refuse(u"Profile not saved"_s, checked.refusal);
    const QString path = m_window.prompter().saveFileName(&m_window, u"Save profile"_s, {}, kFilter);
    if (path.isEmpty())
        return;
    // As `r5200tx-cli save` writes it: the device keeps its access point password.
    r5commission::Fields out = r5commission::wantedFields(*checked.value);
    out.remove(kPassword);
    // Replaced whole or not at all: a full disk leaves the profile that was there.
    if (const QString why = r5::replaceFile(path, r5commission::profileText(out)); !why.isEmpty()) {
        m_window.prompter().error(&m_window,
                                  u"Profile not saved: "_s + QDir::toNativeSeparators(path) + u": "_s + why);
        return;
    }
    m_window.log(u"Profile saved: "_s + path);
}

void ProfileBridge::Btn_LoadProfileClick()
{
    const QString path = m_window.prompter().openFileName(&m_window, u"Load profile"_s, {}, kFilter);
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    const r5::FileRead read = r5::readFileUpTo(path, kMaxProfileBytes);
    if (!read.bytes) {
        m_window.prompter().warning(
            &m_window, name + u": "_s + (read.tooLarge ? u"too large for a profile"_s : read.error));
        return;
    }
    const auto parsed = r5commission::parseProfile(*read.bytes);
    if (!parsed.value)
        return m_window.prompter().warning(&m_window, name + u": "_s + parsed.error);
    if (parsed.value->isEmpty())
        return m_window.prompter().warning(&m_window,
                                           name + u": names no setting ([WAN], [Server], [DI] or [AP])"_s);
    const auto checked = r5commission::checkFields(*parsed.value);
    if (!checked)
        return refuse(name, checked.refusal);
    fill(*checked.value, parsed.value->contains(kPassword));
    m_verifier->setProfileName(name);
    m_window.log(u"Profile loaded: "_s + path);
}

void ProfileBridge::Btn_RecordFileClick()
{
    // Rows are only ever appended, so choosing an existing file is no overwrite.
    const QString path = m_window.prompter().saveFileName(
        &m_window, u"Record file"_s, m_verifier->recordFile(), u"Records (*.csv);;All files (*)"_s, false);
    if (path.isEmpty())
        return;
    m_verifier->setRecordFile(path);
    m_window.log(u"Record file: "_s + path + u" (a row for each verified save)"_s);
}

} // namespace r5setup
