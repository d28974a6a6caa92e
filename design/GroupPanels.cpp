#include "design/GroupPanels.h"

#include <algorithm>

namespace design {

namespace {

const GroupPanelInfo kPanels[kGroupPanelCount] = {
    {"Version", "Group_Version", 350, "Version"},
    {"Status", "Group_Status", 230, "Status"},
    {"Output1", "Group_GetAC1", 250, "Output 1"},
    {"Output2", "Group_GetAC2", 250, "Output 2"},
    {"Output3", "Group_GetAC3", 250, "Output 3"},
    {"LN_ST", "Group_LN_ST", 150, "Output (LN/ST)"},
    {"SA3P", "Group_StandAlone3P", 330, "Stand alone"},
    {"Input7", "Group_GetDC7", 150, "Input 7"},
    {"Input8", "Group_GetDC8", 150, "Input 8"},
    {"Input9", "Group_GetDC9", 150, "Input 9"},
    {"Input10", "Group_GetDC10", 150, "Input 10"},
    {"Input11", "Group_GetDC11", 150, "Input 11"},
    {"Input12", "Group_GetDC12", 150, "Input 12"},
    {"Input1", "Group_GetDC1", 150, "Input 1"},
    {"Input2", "Group_GetDC2", 150, "Input 2"},
    {"Input3", "Group_GetDC3", 150, "Input 3"},
    {"Input4", "Group_GetDC4", 150, "Input 4"},
    {"Input5", "Group_GetDC5", 150, "Input 5"},
    {"Input6", "Group_GetDC6", 150, "Input 6"},
    {"VBus", "Group_GetVbus", 120, "Bus Voltage"},
    {"TotalBus", "Group_GetTotalBus", 120, "Bus Voltage"},
    {"TotPow", "Group_TotalPower", 180, "Total Power"},
    {"Temper1", "Group_Temper1", 170, "Temperature 1"},
    {"Temper2", "Group_Temper2", 170, "Temperature 2"},
    {"TestValue", "Group_TestValue", 350, "Test Value"},
    {"OutputEnergy", "Group_OutputPower", 205, "Output Energy"},
    {"Country", "Group_Country", 200, "Country Set"},
    {"UacProtect", "Group_UacProtection", 440, "Uac Protection"},
    {"FreqProtect", "Group_FreqProtection", 440, "Freq. Protection"},
    {"ErrorEvent", "Group_ErrorEvent", 675, "Error Event"},
    {"RecordOPV", "Group_DeratingRecordsOPV", 340, "Derating Records for OPV"},
    {"RecordVin", "Group_DeratingRecordsVin", 340, "Derating Records for Vin"},
    {"RecordOPVLo", "Group_DeratingRecordsOPVLo", 340, "Derating Records for OPV_Lo"},
    {"RecordPM", "Group_DeratingRecordsPM", 340, "Derating Records for Thermal"},
    {"JapanErrorEvent", "Group_JapanErrorList", 670, "Error List"},
    {"Insulation", "Group_Insulation", 210, "Insulation"},
    {"GroundCurrent", "Group_GroundCurr", 175, "Ground Current"},
    {"DCInject", "Group_DcInj", 175, "DC Injection"},
    {"ReactivePower", "Group_ReactivePower", 390, "Reactive Power"},
    {"PUFunction", "Group_PUFunction", 310, "P(U) Function"},
    {"QUCtrl", "Group_QUCtrl", 340, "Q(U) Ctrl"},
    {"CosPCtrl", "Group_CosPCtrl", 250, "cos(φ) of P Ctrl"},
    {"ActivePower", "Group_ActivePower", 200, "Active Power"},
    {"PFCtrl", "Group_PFCtrl", 400, "P-F Control"},
    {"FanTest", "Group_FanTest", 175, "Fan Test"},
    {"FanFail", "Group_FanFail", 300, "Fan Fail"},
    {"Factory", "Group_Factory", 280, "Factory"},
    {"VIPGain", "Group_VIPGain", 480, "V、I、P Gain "},
    {"ADC", "Group_ADC", 400, "ADC count"},
    {"FRT", "Group_LVFR", 530, "FRT"},
    {"DailyEnergy", "Group_DailyEnergy", 410, "Energy - Day"},
    {"JapanSet", "Group_JapanSet", 680, "Japan Set"},
    {"JapUserSet", "Group_JapUserSet", 920, "User Setting(Japan)"},
    {"JapUserSetOld", "Group_JapUserSet_Old", 720, "User Setting(Japan)"},
    {"BTINFO", "Group_BT_Info", 320, "BT Information"},
    {"BTCTRL", "Group_BT_CTRL", 400, "BT Ctrl"},
    {"Subsidy", "Group_Subsidy", 140, "Subsidy"},
    {"LoadPower", "Group_LoadPower1", 200, "Output (Load1)"},
    {"LoadPower2", "Group_LoadPower2", 200, "Output (Load2)"},
    {"Poll01", "Group_Poll01", 380, "Poll 01 (Unsigned)"},
    {"Poll02", "Group_Poll02", 380, "Poll 02 (Unsigned)"},
    {"Poll03", "Group_Poll03", 380, "Poll 03 (Signed)"},
    {"Poll04", "Group_Poll04", 380, "Poll 04 (Hex)"},
    {"InvTime", "Group_InvTime", 210, "Inverter Time"},
    {"ErrorCodes", "Group_ErrorCodes", 580, "Error Codes"},
    {"HarunetMM", "Group_HarunetMM", 330, "パワコン"},
    {"HRN_Thm", "Group_HRN_ThermalEvent", 395, "温度抑制_高温"},
    {"HRN_OPV", "Group_HRN_OpvEvent", 395, "電圧抑制_高圧"},
    {"HRN_Vin", "Group_HRN_VinEvent", 395, "入力電圧抑制_高圧"},
    {"HRN_OPVLO", "Group_HRN_OpvloEvent", 395, "電圧抑制_低圧"},
    {"HRN_SetPnt", "Group_HRN_SetPoint", 530, "整定值"},
    {"HRN_Energy", "Group_HRN_Energy", 295, "パワコン"},
    {"MultiRelay", "Group_RelayFunction1", 560, "Multi-function Relay"},
    {"TalveraTest", "Group_TalveraTest", 350, "TALVERA"},
    {"EnergyClone", "Group_EnergyClone", 120, "Energy Clone"},
    {"DryContactTest", "Group_DryContactTest", 300, "Dry Contact Test"},
    {"CommProtection", "Group_CommProtection", 175, "Comm Protection"},
    {"AcTerminal", "Group_AcTerminal", 150, "AC Terminal"},
    {"Islanding", "Group_Islanding", 105, "Islanding"},
    {"AntiIsland", "Group_AntiIsland", 105, "Anti-Islanding"},
    {"AustraliaSet", "Group_AustraliaSet", 320, "AU/NZ Setting"},
    {"K4PSetting", "Group_K4PSetting", 440, "K4P Setting"},
    {"OnSiteRepair", "Group_OnSiteRepair", 140, "On-Site Repair"},
    {"QbyNight", "Group_QbyNight", 410, "Q by Night"},
    {"StringCurr", "Group_StringCurr", 320, "String Current"},
    {"MaxOutputVal", "Group_MaxOutputValue", 310, "Max Output Value"},
    {"MaxInputVal", "Group_MaxInputValue", 320, "Max Input Value"},
    {"CosphiOfU", "Group_CosphiOfU", 340, "Cosphi (U)"},
    {"RPR_OVGR", "Group_RPR_OVGR", 560, "PRP/OVGR"},
    {"QofP", "Group_QofP", 450, "Q(P) for Q by night && Q 24/7"},
    {"DcRelayAccTimes", "Group_DcRelayAccTimes", 170, "DC relay Accumulate Times"},
    {"AntiPid", "Group_AntiPid", 160, "Anti-PID"},
    {"EPO", "Group_EPO", 150, "EPO"},
    {"DeratingRecords", "Group_DeratingRecords", 250, "Derating Records"},
    {"MonthlyEnergy", "Group_MonthlyEnergy", 410, "Energy - Month"},
    {"ARCTest", "Group_ARCTest", 180, "ARC"},
    {"DryContact", "Group_DryContact", 180, "Dry Contact"},
    {"WarnEvent", "Group_WarnEvent", 175, "Warning Display"},
    {"NightMode", "Group_NightMode", 180, "Night Mode"},
    {"ExtendCosphiP", "Group_ExtendCosphiP", 420, "Extend Cosphi(P)"},
    {"BTModule1", "Group_BT_Module1", 380, "BT Module1 Info."},
    {"BTModule2", "Group_BT_Module2", 380, "BT Module2 Info."},
    {"CalibrateInput", "Group_CalibrateInput", 250, "Calibration - Input"},
    {"MPPTSwitch", "Group_MPPTSwitch", 250, "MPPT Switch"},
    {"QofP_DayTime", "Group_QofP_DayTime", 450, "Q(P) Daytime"},
    {"InternalMeterPhaseU", "Group_InternalMeterPhaseU", 240, "U Phase"},
    {"InternalMeterPhaseW", "Group_InternalMeterPhaseW", 240, "W Phase"},
    {"InternalMeterPhaseUW", "Group_InternalMeterPhaseUW", 240, "U+W Phase"},
    {"VoltageSuppression", "Group_VoltageSuppression", 260, "Voltage Suppression"},
    {"JapanSet3P", "Group_JapanSet3P", 200, "Japan Set"},
    {"UserSetJapan3P", "Group_UserSetJapan3P", 550, "User Setting (Japan)"},
    {"QR45", "Group_Qr45Info", 350, "QR4.5"},
    {"MasterDCB", "Group_MasterDCB", 380, "Master DCB"},
    {"SlaveDCB", "Group_SlaveDCB", 380, "Slave DCB"},
    {"PowerMeterInfo", "Group_PowerMeterInfo", 240, "Power Meter Info."},
    {"Mask1", "Group_Mask1", 25, "1"},
    {"Mask2", "Group_Mask2", 25, "2"},
    {"Mask3", "Group_Mask3", 25, "3"},
    {"Mask4", "Group_Mask4", 25, "4"},
    {"Mask5", "Group_Mask5", 25, "5"},
    {"Mask6", "Group_Mask6", 50, "6"},
    {"Mask7", "Group_Mask7", 90, "7"},
    {"DarkCurrent", "Group_DarkCurrent", 500, "Dark Current"},
    {"ShipmentTest", "Group_ShipmentTest", 330, "到着検査"},
    {"JapanRemoteCtrl", "Group_Japan_RemoteCtrl", 150, "Remote Ctrl"},
    {"JapanProtectSet", "Group_JapanProtectSet", 500, "各保護機能のマスク設定"},
    {"JapanVersion", "Group_JapanVersion", 200, "Version"},
    {nullptr, "Group_JapanActivePower", 165, "Active Power Control"},
    {nullptr, "Group_FanOperate", 200, "Fan Operation"},
    {nullptr, "Group_Debug", 490, "Debug"},
    {nullptr, "Group_TalveraDc1", 230, "Solar Input1"},
    {nullptr, "Group_TalveraDc2", 230, "Solar Input2"},
    {nullptr, "Group_TalveraAc1", 230, "Solar Output1"},
    {nullptr, "Group_TalveraAc2", 230, "Solar Output2"},
    {nullptr, "Group_TalveraAc3", 230, "Solar Output3"},
};

} // namespace

std::span<const GroupPanelInfo, kGroupPanelCount> GroupPanels()
{
    return std::span<const GroupPanelInfo, kGroupPanelCount>(kPanels);
}

int GroupPanelIndex(QStringView panelName)
{
    for (int i = 0; i < kGroupPanelCount; ++i)
        if (panelName.compare(QLatin1StringView(kPanels[i].name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int LayoutSectionIndex(QStringView sectionName)
{
    for (int i = 0; i < kLayoutSectionCount; ++i)
        if (sectionName.compare(QLatin1StringView(kPanels[i].section), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int NameSum(QStringView section)
{
    // Section names are ASCII; the sum is that of their 8-bit codes.
    const QByteArray bytes = section.toUtf8();
    int sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum;
}

int EncodePanelHeight(QStringView section, int height, int tag, bool inPageBox)
{
    if (height == tag && inPageBox)
        return height + 10 * NameSum(section);
    return kCollapsedHeight;
}

int DecodePanelHeight(int stored, QStringView section)
{
    if (stored == kCollapsedHeight)
        return kCollapsedHeight;
    // Any number may stand in a file: the difference is taken in 64 bits and held to the page.
    const long long height = static_cast<long long>(stored) - 10LL * NameSum(section);
    return static_cast<int>(std::clamp<long long>(height, -kPageExtent, kPageExtent));
}

PanelStates InitialPanelStates()
{
    PanelStates states{};
    for (int i = 0; i < kGroupPanelCount; ++i)
        states[i].tag = kPanels[i].tag;
    return states;
}

} // namespace design
