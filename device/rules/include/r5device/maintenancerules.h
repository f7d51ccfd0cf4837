#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

// Checks of the maintenance page's fields before a request is built or a tool started, and
// the page's fixed texts. Each check returns the values to send or the refusal to show.
namespace r5setup::maint {

// Why a command does not go out: the box text and the field that takes the focus after it.
struct Refusal
{
    QString message;
    QString focus; // object name of the field, or empty
    // The toolkit's own "not a valid integer" error rather than one of the program's boxes.
    bool conversion = false;
    // Object name of the field the refusal is about, which the box names after its text; empty
    // when it names none.
    QString field = {};

    bool operator==(const Refusal &) const = default;
};

template <typename T> struct Checked
{
    std::optional<T> value;
    Refusal refusal;

    explicit operator bool() const { return value.has_value(); }
};

// The toolkit's error for a text that is not a whole number (fields are read as
// r5::protocol::decimalNumber() reads them: empty, spaces, letters or more than 32 bits fail).
QString invalidInteger(QStringView text);

struct FlashSave
{
    std::uint16_t interval = 0;
    std::uint8_t delay = 0;
};

// `Edit_FlashSaveInt` and `Edit_FlashSaveDelay`. The interval must be a number up to 65535;
// the delay has one byte on the wire, so only 0 to 255 is taken (a larger value would be sent
// as a different one).
Checked<FlashSave> checkFlashSave(QStringView interval, QStringView delay);

struct FirmwareOrder
{
    std::array<std::uint8_t, 4> server{};
    std::uint16_t port = 0;
};

// `Edit_DL_IP1` to `Edit_DL_IP4`, `Edit_DL_Port` and `Edit_DL_File`, in that order. A port of
// 0 is taken; the file name needs 2 bytes in the system's multi-byte encoding.
Checked<FirmwareOrder> checkFirmwareDownload(const std::array<QString, 4> &octets, QStringView port,
                                             QStringView fileName);

// `Edit_HttpSvr_Port`: 1 to 65535. A server asked for port 0 would listen where nobody looks.
Checked<std::uint16_t> checkHttpServerPort(QStringView port);

// The administrator panel: what one press of "View Admin" (or Enter/Space in the password
// edit) does. The edit is emptied every time.
inline constexpr QLatin1StringView kAdminPassword("brimoxa");

struct AdminStep
{
    bool hidePanels = false;
    bool showPanels = false;
    bool focusEdit = false;

    bool operator==(const AdminStep &) const = default;
};

AdminStep adminStep(bool panelsShown, QStringView typed);

namespace text {
inline QString factoryResetQuestion()
{
    return QStringLiteral("모든 설정값이 공장출고 상태로 초기화 됩니다. 진행하시겠습니까?? ");
}
inline QString rebootQuestion()
{
    return QStringLiteral("System Reboot을 진행하시겠습니까?? ");
}
inline QString flashEraseQuestion()
{
    return QStringLiteral(
        "모든 Flash Memory 영역이 삭제되어 Device를 사용할수 없게됩니다. 계속하시겠습니까? ");
}
inline QString wordRange()
{
    return QStringLiteral("1 ~ 65535 정수만 가능합니다.");
}
inline QString octetRange()
{
    return QStringLiteral("0 ~ 255 정수만 입력 가능합니다.");
}
inline QString fileNameCheck()
{
    return QStringLiteral("Filename를 확인하세요.");
}
inline QString httpServerPortRange()
{
    return QStringLiteral("HTTP Server Port는 1 ~ 65535 정수만 가능합니다. [Default Port : 8070]");
}
inline QString httpServerLine(const QString &address, const QString &port)
{
    return QStringLiteral("Starting HTTP Server on[http://") + address + u':' + port + u']';
}
inline QString pingLine(const QString &address)
{
    return QStringLiteral("Starting ping test to [") + address + u']';
}
} // namespace text

} // namespace r5setup::maint
