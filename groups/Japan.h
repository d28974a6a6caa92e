// The Japanese-market groups: "Japan Set" (single- and three-phase), "Version", "Remote Ctrl",
// the arrival inspection, the protection masks and the three user-setting panels (three-phase,
// and the current and the old layout of the enumerated grid settings).
#pragma once

#include "groups/ReaderFrame.h"

#include <cstdint>

namespace groups {

// A protection mask word as last read, kept for the radios that set or clear one of its bits and
// write the whole word back. It belongs to the inverter it was read from; a press for another
// inverter, or before any read, writes nothing.
class JapanMaskWords : public vcl::TComponent {
public:
    explicit JapanMaskWords(vcl::TComponent* owner) : vcl::TComponent(owner) { SetName(QStringLiteral("JapanProtectBits")); }
    QString ClassName() const override { return QStringLiteral("JapanMaskWords"); }
    struct Word {
        bool valid = false;
        int slaveId = 0;
        int word = 0;
    };
    Word first;    // holding 33648
    Word second;   // holding 33658
    void Forget() { first.valid = second.valid = false; }
};

struct JapanGroups {
    vcl::TWinControl* Set = nullptr;          // Group_JapanSet
    vcl::TWinControl* Set3P = nullptr;        // Group_JapanSet3P
    vcl::TWinControl* Version = nullptr;      // Group_JapanVersion
    vcl::TWinControl* RemoteCtrl = nullptr;   // Group_Japan_RemoteCtrl
    vcl::TWinControl* Shipment = nullptr;     // Group_ShipmentTest
    vcl::TWinControl* Protect = nullptr;      // Group_JapanProtectSet
    vcl::TWinControl* UserSet3P = nullptr;    // Group_UserSetJapan3P
    vcl::TWinControl* UserSet = nullptr;      // Group_JapUserSet
    vcl::TWinControl* UserSetOld = nullptr;   // Group_JapUserSet_Old
    JapanMaskWords* Masks = nullptr;
};

JapanGroups BuildJapanGroups(vcl::TComponent& form);
JapanGroups FindJapanGroups(const vcl::TComponent& form);

// "V1.05" from high byte 1 and low byte 5; "V2.123" from 2 and 123.
QString JapanVersionText(int word);
// "Y19W07" from high byte 19 and low byte 7.
QString JapanDateText(int word);
// `bytes` register bytes from data word `firstWord` of the reply as characters, without the
// control bytes 0x00-0x1F and 0x7F; bytes from 0x80 are taken as Latin-1.
QString JapanDeviceText(const Modbus& link, int firstWord, int bytes);
// The three-phase serial: 15 bytes from data word `firstWord` of the reply, keeping only "0".."Z".
QString JapanSerial3P(const Modbus& link, int firstWord);
// The text of code `code` in word `word` (0..19) of the enumerated user settings; `old` picks the
// old layout's bases and Q(U) texts. Empty when the code has no text (the label stays).
QString JapanUserSettingText(int word, int code, bool old);

int ReadJapanSet(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanSet3P(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanVersions(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanRemoteCtrl(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadShipmentTest(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanProtect(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanUserSet3P(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanUserSet(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);
int ReadJapanUserSetOld(Modbus& link, const JapanGroups& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups
