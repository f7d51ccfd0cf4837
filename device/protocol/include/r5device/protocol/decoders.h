#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The four responses the tool decodes, as the texts and choices its controls show. Each takes
// the content of a frame (the bytes between start and end byte: LEN, id, header, payload).
namespace r5::protocol {

// Current status (0x41): every field of the first page and the two flash fields.
struct StatusView
{
    QString deviceName;                 // `Panel_DevName`: "R5200TX" or "ETC"
    QString version;                    // `Panel_Version`: "1.05"
    QString mac;                        // `PanelMacAddr`: "00:1A:2B:3C:4D:5E"
    std::array<QString, 4> ip;          // `Edit_IP1` .. `Edit_IP4`
    std::array<QString, 4> gateway;     // `Edit_GW1` .. `Edit_GW4`
    std::array<QString, 4> mask;        // `Edit_SM1` .. `Edit_SM4`
    QString serverPort;                 // `Edit_Server_Port`
    QString expiry;                     // `CB_Server_ExpTime`
    int protocolItem = 0;               // `RG_Protocol_Mode`: 0 'N', 1 'G'
    std::array<QString, 5> throughput;  // `CB_ThrouputTime1` .. 5
    std::array<int, 5> countModeItem{}; // `CB_CountMode1` .. 5: 0 "Falling", 1 "Rising"
    QString flashInterval;              // `Edit_FlashSaveInt`
    QString flashDelay;                 // `Edit_FlashSaveDelay`
};

inline constexpr int kStatusContentCount = 49;
inline constexpr int kCurrentApContentCount = 51;
inline constexpr int kRssiContentCount = 41;

// nullopt unless the content has the 49 bytes of a status response.
std::optional<StatusView> decodeStatus(QByteArrayView content);

// "1.05": the minor number as two digits, left-padded with "0"; a longer one keeps its first two.
QString versionText(int major, int minor);

// Signal quality in percent from an RSSI in dBm: 0 at -100 and below, 100 at -50 and above,
// 2 x (r + 100) between.
int signalQuality(int rssi);

// The text of a text response: the payload up to its first zero byte, in raw bytes (a view
// into `content`).
QByteArrayView responseText(QByteArrayView content);
// "res[" + length in characters + "] = [" + text + "]". The text is the device's and goes into
// the log as one line: its control characters, line separators and bidirectional controls are
// shown as \r, \n, \t, \xHH or \uHHHH (the length still counts them as one character each).
QString resLine(QByteArrayView text);

// One row of `APList_Grid`.
struct ApEntry
{
    QString number;   // column 0
    QString ssid;     // column 1
    QString channel;  // column 2
    QString rssi;     // column 3, the RSSI as a whole number
    QString quality;  // column 4, "60%"
    QString authMode; // column 5
    // The SSID as the device reported it, so that choosing it writes back the very same bytes.
    QByteArray ssidBytes;
    // False when the RSSI did not convert: only columns 0 to 2 were written.
    bool complete = true;

    // The cell texts in column order, as far as they were written.
    QStringList cells() const;
};

// Access-point list (0x48).
struct ApList
{
    int count = 0;          // the count digit
    QList<ApEntry> entries; // entries 1.., the last one possibly incomplete
    bool stopped = false;   // an RSSI that did not convert ended the list early
};

// nullopt when the first character is not a digit (nothing is written); otherwise up to `count`
// entries cut from the text by bytes.
std::optional<ApList> decodeApList(QByteArrayView content);
std::optional<ApList> decodeApListText(QByteArrayView text);

// Current access point (0x49).
struct CurrentAp
{
    QString ssid;     // `Edit_Current_SSID`
    QString password; // `Edit_Current_Pw`
};

// nullopt unless the content has 51 bytes. SSID and password are cut by bytes, as the device
// pads them by bytes, so a multi-byte SSID does not pull the password's first characters in.
std::optional<CurrentAp> decodeCurrentAp(QByteArrayView content);
CurrentAp decodeCurrentApText(QByteArrayView text);

// RSSI (0x4A).
struct RssiReading
{
    enum class Signal {
        Quality,      // `rssiText` was a number: show `quality`
        Disconnected, // "NOINFO": `Edit_Quality` reads "Disconnected", the rest stays
        Unreadable,   // not a number: the decoder stops after SSID and RSSI text
    };
    QString ssid;     // `Edit_Current_SSID`
    QString rssiText; // `Edit_Current_RSSI`
    Signal signal = Signal::Unreadable;
    int quality = 0; // `Edit_Quality`, `Panel_Quality` (+ "%"), `PB_SignalQuality`
};

// nullopt unless the content has 41 bytes.
std::optional<RssiReading> decodeRssi(QByteArrayView content);
RssiReading decodeRssiText(QByteArrayView text);

} // namespace r5::protocol
