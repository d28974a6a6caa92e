// Frequency-dependent power reduction and the relays: "P-F Control" (Group_PFCtrl), the two
// multi-function relays (Group_RelayFunction1, one shown at a time by Combo_SelectRelay), the
// two external trip inputs of the reverse-power and ground-over-voltage relays
// (Group_RPR_OVGR), and the partner brand's grid-protection set points (Group_HRN_SetPoint,
// shown only: it has no settings).
#pragma once

#include "groups/ReaderFrame.h"

namespace groups {

// The alarm-class word of a relay as last read, kept for the check boxes that flip one of its
// bits and write it back. It belongs to the inverter and relay it was read from; a press for
// another inverter or relay, or before any read, writes nothing.
class RelayAlarmWord : public vcl::TComponent {
public:
    explicit RelayAlarmWord(vcl::TComponent* owner) : vcl::TComponent(owner) { SetName(QStringLiteral("RelayAlarmMask")); }
    QString ClassName() const override { return QStringLiteral("RelayAlarmWord"); }
    bool valid = false;
    int slaveId = 0;
    int relay = 0;      // 0 relay 1, 1 relay 2
    int word = 0;
    void Forget() { valid = false; }
    bool Matches(int id, int r) const { return valid && slaveId == id && relay == r; }
};

struct RelayGroup {
    vcl::TWinControl* PfCtrl = nullptr;
    vcl::TWinControl* Relay = nullptr;
    vcl::TWinControl* Rpr = nullptr;
    vcl::TWinControl* SetPoint = nullptr;
    RelayAlarmWord* AlarmWord = nullptr;
};

RelayGroup BuildRelayGroups(vcl::TComponent& form);
RelayGroup FindRelayGroups(const vcl::TComponent& form);

// The relay the handlers and the reader address: 0 for item 0 of Combo_SelectRelay, else 1
// (relay 2 chosen, or no choice yet).
int ChosenRelay(const vcl::TComponent& form);
// The fan-temperature entry in 0.1 degree: nudged 0.0002 away from zero before the cut, so
// that a typed 25.3 is not stored as 252.
int RelayTemperatureWord(const QString& text);

int ReadPfControl(Modbus& link, const RelayGroup& g, vcl::TComponent& form, std::uint8_t stop);
// relayIndex: the item index of Combo_SelectRelay just before the call (1 relay 2, else relay 1).
int ReadRelayFunction(Modbus& link, const RelayGroup& g, vcl::TComponent& form, int relayIndex, std::uint8_t stop);
int ReadRprOvgr(Modbus& link, const RelayGroup& g, vcl::TComponent& form, std::uint8_t stop);
// The grid frequency (0.01 Hz) chooses the 60 Hz or the 50 Hz frequency rows, or neither.
int ReadHarunetSetPoint(Modbus& link, const RelayGroup& g, vcl::TComponent& form, std::uint8_t stop);

} // namespace groups
