#include "design/DesignerMenu.h"

#include "vcl/Menus.h"

#include <vector>

namespace design {

namespace {

constexpr bool B = true;   // bound to the handler
constexpr bool U = false;  // not bound (a submenu header or a separator)

// Submenu headers carry Tag 0 unless the table gives one; "1. Version", "2. Status" and
// "1. Reactive Power" are bound, so opening them runs the handler, which finds nothing to do.
const DesignerMenuEntry kMenu[] = {
    {0, 0, "Main Page", nullptr, U, false},
    {1, 0, "1. Version", nullptr, B, false},
    {2, 1010, "No Date Code", nullptr, B, false},
    {2, 1011, "Show Date Code", nullptr, B, false},
    {1, 0, "2. Status", nullptr, B, false},
    {2, 0, "Option", nullptr, U, false},
    {3, 1025, "Const Volt.", nullptr, B, false},
    {3, 1026, "No Const Volt.", nullptr, B, false},
    {2, 1020, "3P", nullptr, B, false},
    {2, 1021, "1P", nullptr, B, false},
    {1, 0, "3.Output", nullptr, U, false},
    {2, 0, "Option", nullptr, U, false},
    {3, 1030, "Auto 3P(L-L/L-N)", nullptr, B, false},
    {3, 1032, "Engineer", nullptr, B, false},
    {3, 1036, "Title:Output", nullptr, B, false},
    {3, 1037, "Title: VAB...", nullptr, B, false},
    {3, 1038, "Single Phase", nullptr, B, false},
    {2, 103, "1. Output 1", "Group_GetAC1", B, false},
    {2, 104, "2. Output 2", "Group_GetAC2", B, false},
    {2, 105, "3. Output 3", "Group_GetAC3", B, false},
    {2, 1034, "4. LN && ST", "Group_LN_ST", B, false},
    {2, 1035, "5.Max Output", "Group_MaxOutputValue", B, false},
    {1, 0, "4. Input", nullptr, U, false},
    {2, 1061, "1. Input 1", "Group_GetDC1", B, false},
    {2, 1062, "2. Input 2", "Group_GetDC2", B, false},
    {2, 1063, "3. Input 3", "Group_GetDC3", B, false},
    {2, 1064, "4. Input 4", "Group_GetDC4", B, false},
    {2, 1065, "5. Input 5", "Group_GetDC5", B, false},
    {2, 1066, "6. Input 6", "Group_GetDC6", B, false},
    {2, 1067, "7. Input 7", "Group_GetDC7", B, false},
    {2, 1068, "8. Input 8", "Group_GetDC8", B, false},
    {2, 1069, "9. Input 9", "Group_GetDC9", B, false},
    {2, 10610, "10. Input 10", "Group_GetDC10", B, false},
    {2, 10611, "11. Input 11", "Group_GetDC11", B, false},
    {2, 10612, "12. Input 12", "Group_GetDC12", B, false},
    {2, 10650, "7. String Current", "Group_StringCurr", B, false},
    {2, 10651, "8. Max Input", "Group_MaxInputValue", B, false},
    {1, 0, "5.VBus", nullptr, U, false},
    {2, 110, "1. VBus", "Group_GetVbus", B, false},
    {2, 1101, "2. Total Bus", "Group_GetTotalBus", B, false},
    {1, 111, "6. Total Power", "Group_TotalPower", B, false},
    {1, 0, "7. Temperature", nullptr, U, false},
    {2, 1120, "Tempature1", nullptr, B, false},
    {2, 1121, "Tempature2", nullptr, B, false},
    {1, 114, "8. Test Value", "Group_TestValue", B, false},
    {1, 115, "9. Output Energy", "Group_OutputPower", B, false},
    {1, 0, "-", nullptr, U, false},
    {1, 116, "10. Insulation", "Group_Insulation", B, false},
    {1, 117, "11. DC Injection", "Group_DcInj", B, false},
    {1, 118, "12. Ground Current", "Group_GroundCurr", B, false},
    {1, 119, "13. Inv Time", "Group_InvTime", B, false},
    {1, 120, "14. Stand Alone", "Group_StandAlone3P", B, false},
    {1, 0, "15. Write Permission", nullptr, U, false},
    {2, 1210, "Lock", nullptr, B, false},
    {2, 1211, "Unlock", nullptr, B, false},
    {1, 0, "16. Internal Meter", nullptr, U, false},
    {2, 1301, "Phase U", "Group_InternalMeterPhaseU", B, false},
    {2, 1302, "Phase W", "Group_InternalMeterPhaseW", B, false},
    {2, 1303, "Phase U+W", "Group_InternalMeterPhaseUW", B, false},
    {0, 0, "-", nullptr, U, false},
    {0, 0, "Config Page", nullptr, U, false},
    {1, 0, "1. Country Set", nullptr, U, false},
    {2, 2012, "Language Selection", nullptr, B, false},
    {2, 2013, "No Language Selection", nullptr, B, false},
    {1, 0, "2. Uac Protection", nullptr, U, false},
    {2, 2021, "Vac1", nullptr, B, false},
    {2, 2022, "Vac1 && Vac2", nullptr, B, false},
    {2, 2023, "RULE 21", nullptr, B, false},
    {2, 2024, "HECO", nullptr, B, false},
    {1, 0, "3. Freq. Protection", nullptr, U, false},
    {2, 2030, "Display", nullptr, B, false},
    {2, 2031, "USA", nullptr, B, false},
    {2, 2032, "HECO", nullptr, B, false},
    {1, 0, "-", nullptr, U, false},
    {1, 204, "4. Error Event", "Group_ErrorEvent", B, false},
    {1, 205, "5. Error Codes", "Group_ErrorCodes", B, false},
    {1, 206, "6. Error List(Japan)", "Group_JapanErrorList", B, false},
    {1, 207, "7. Comm Protection", "Group_CommProtection", B, false},
    {1, 208, "8. AC Terminal", "Group_AcTerminal", B, false},
    {1, 0, "9. Derating Record", nullptr, U, false},
    {2, 2090, "1. OPV", "Group_DeratingRecordsOPV", B, false},
    {2, 2091, "2. Vin", "Group_DeratingRecordsVin", B, false},
    {2, 2092, "3. OPV_Lo", "Group_DeratingRecordsOPVLo", B, false},
    {2, 2093, "4. Thermal", "Group_DeratingRecordsPM", B, false},
    {1, 210, "10. EPO", "Group_EPO", B, false},
    {1, 211, "11. Derating Reocrds", "Group_DeratingRecords", B, false},
    {1, 212, "12. Energy-Day", "Group_DailyEnergy", B, false},
    {1, 213, "13. Energy-Month", "Group_MonthlyEnergy", B, false},
    {1, 214, "14. Warning Event", "Group_WarnEvent", B, false},
    {0, 0, "-", nullptr, U, false},
    {0, 0, "Ctrl Page", nullptr, U, false},
    {1, 0, "0. Option", nullptr, U, false},
    {2, 3000, "Ind+ ; Cap-", nullptr, B, false},
    {2, 3001, "Ind- ; Cap+", nullptr, B, false},
    {2, 3002, "cos-phi 1%", nullptr, B, false},
    {2, 3003, "cos-phi 0.1%", nullptr, B, false},
    {1, 301, "1. Reactive Power", nullptr, B, false},
    {2, 3010, "Normal", nullptr, B, false},
    {2, 3011, "Japan", nullptr, B, false},
    {1, 0, "2. Q(U) Ctrl", nullptr, U, false},
    {2, 3020, "Display", nullptr, B, false},
    {2, 3021, "HECO", nullptr, B, false},
    {1, 303, "3. cos(φ) of P Ctrl", "Group_CosPCtrl", B, false},
    {1, 0, "-", nullptr, U, false},
    {1, 0, "4. Active Power", nullptr, U, false},
    {2, 3040, "1. No Slope", nullptr, B, false},
    {2, 3041, "2. Show Slope", nullptr, B, false},
    {1, 305, "5. P-F Ctrl", "Group_PFCtrl", B, false},
    {1, 306, "6. P(U)Function", "Group_PUFunction", B, false},
    {1, 307, "7. FRT(LVFR)", "Group_LVFR", B, false},
    {1, 0, "-", nullptr, U, false},
    {1, 3080, "8. Multi-Function Relay", "Group_RelayFunction1", B, false},
    {1, 309, "9. Islanding", "Group_Islanding", B, false},
    {1, 310, "10. Fan Test", "Group_FanTest", B, false},
    {1, 311, "11. Fan Fail", "Group_FanFail", B, false},
    {1, 312, "12. Anti-Islanding", "Group_AntiIsland", B, false},
    {1, 313, "13. Q by Night", "Group_QbyNight", B, false},
    {1, 314, "14. Cosphi(U)", "Group_CosphiOfU", B, false},
    {1, 315, "15. RPR/OVGR", "Group_RPR_OVGR", B, false},
    {1, 316, "16. Q(P) for Q by night && Q 24/7", "Group_QofP", B, false},
    {1, 317, "17. Anti-PID", "Group_AntiPid", B, false},
    {1, 318, "18. ARC", "Group_ARCTest", B, false},
    {1, 319, "19. Dry Contact", "Group_DryContact", B, false},
    {1, 320, "20. Night Mode", "Group_NightMode", B, false},
    {1, 321, "21. Extend Cosphi P", "Group_ExtendCosphiP", B, false},
    {1, 322, "22. Q(P) Daytime", "Group_QofP_DayTime", B, false},
    {1, 323, "23. Voltage Suppression", "Group_VoltageSuppression", B, false},
    {1, 324, "24. Dark Current", "Group_DarkCurrent", B, false},
    {0, 0, "-", nullptr, U, false},
    {0, 0, "Calibration", nullptr, U, false},
    {1, 401, "Factory", "Group_Factory", B, false},
    {1, 402, "V、I、P Gain", "Group_VIPGain", B, false},
    {1, 403, "ADC count", "Group_ADC", B, false},
    {1, 404, "Input", "Group_CalibrateInput", B, false},
    {1, 405, "MPPT Switch", "Group_MPPTSwitch", B, false},
    {1, 406, "到貨檢查", "Group_ShipmentTest", B, false},
    {0, 0, "-", nullptr, U, false},
    {0, 0, "Custom", nullptr, U, false},
    {1, 0, "Poll", nullptr, U, false},
    {2, 5010, "Poll 01 (Unsigned)", "Group_Poll01", B, false},
    {2, 5011, "Poll 02 (Unsigned)", "Group_Poll02", B, false},
    {2, 5012, "Poll 03 (Signed)", "Group_Poll03", B, false},
    {2, 5013, "Poll 04 (Hex)", "Group_Poll04", B, false},
    {1, 0, "Japan 1P", nullptr, U, false},
    {2, 5020, "Japan Set", "Group_JapanSet", B, false},
    {2, 5022, "Active power control", "Group_JapanActivePower", B, false},
    {2, 5023, "Daily Energy", "Group_DailyEnergy", B, false},
    {2, 0, "Japan User Setting", nullptr, U, false},
    {3, 50210, "New", nullptr, B, false},
    {3, 50211, "Old", nullptr, B, false},
    {3, 50212, "AC Coupling", nullptr, B, false},
    {3, 50213, "ALL", nullptr, B, false},
    {2, 5024, "Japan User Setting(Old)", "Group_JapUserSet_Old", B, false},
    {2, 5025, "Version", "Group_JapanVersion", B, false},
    {1, 0, "Hybrid", nullptr, U, false},
    {2, 5030, "BT Info", "Group_BT_Info", B, false},
    {2, 5031, "BT CTRL", "Group_BT_CTRL", B, false},
    {2, 5032, "Load1", "Group_LoadPower1", B, false},
    {2, 5033, "Load2", "Group_LoadPower2", B, false},
    {2, 5034, "Subsidy", "Group_Subsidy", B, false},
    {2, 5035, "BT Module1", "Group_BT_Module1", B, false},
    {2, 5036, "BT Module2", "Group_BT_Module2", B, false},
    {2, 5037, "QR4.5", "Group_Qr45Info", B, false},
    {2, 5038, "Master DCB", "Group_MasterDCB", B, false},
    {2, 5039, "Slave DCB", "Group_SlaveDCB", B, false},
    {2, 50310, "各保護機能のマスク設定", "Group_JapanProtectSet", B, false},
    {1, 0, "Harunet Monitor", nullptr, U, false},
    {2, 5040, "パワコン", "Group_HarunetMM", B, false},
    {2, 5041, "温度抑制_高温", "Group_HRN_ThermalEvent", B, false},
    {2, 5042, "電圧抑制_高圧", "Group_HRN_OpvEvent", B, false},
    {2, 5043, "入力電圧抑制_高圧", "Group_HRN_VinEvent", B, false},
    {2, 5044, "電圧抑制_低圧", "Group_HRN_OpvloEvent", B, false},
    {2, 5045, "SetPoint", "Group_HRN_SetPoint", B, false},
    {2, 5046, "パワコン", "Group_HRN_Energy", B, false},
    {1, 506, "Energy Clone", "Group_EnergyClone", B, false},
    {1, 0, "Australia", nullptr, U, false},
    {2, 5070, "Dry Contact Test", "Group_DryContactTest", B, false},
    {2, 5071, "AU/NZ Setting", "Group_AustraliaSet", B, false},
    {2, 5072, "K4P Setting", "Group_K4PSetting", B, false},
    {1, 508, "On-Site Repair", "Group_OnSiteRepair", B, false},
    {1, 509, "DC Relay Accumulate Times", "Group_DcRelayAccTimes", B, false},
    {1, 0, "Japan 3P", nullptr, U, false},
    {2, 5101, "Japan Set", "Group_JapanSet3P", B, false},
    {2, 5102, "User Setting(Japan)", "Group_UserSetJapan3P", B, false},
    {2, 5103, "Remote Ctrl", "Group_Japan_RemoteCtrl", B, false},
    {1, 511, "Power Meter", "Group_PowerMeterInfo", B, false},
    {1, 0, "Mask", nullptr, U, false},
    {2, 9981, "Mask 1(150,25)", "Group_Mask1", B, false},
    {2, 9982, "Mask 2 (150,25)", "Group_Mask2", B, false},
    {2, 9983, "Mask 3 (150,25)", "Group_Mask3", B, false},
    {2, 9984, "Mask 4 (75,25)", "Group_Mask4", B, false},
    {2, 9985, "Mask 5 (75,25)", "Group_Mask5", B, false},
    {2, 9986, "Mask 6 (160,50)", "Group_Mask6", B, false},
    {2, 9987, "Mask 7 (160,90)", "Group_Mask7", B, false},
    {1, 999, "Debug", "Group_Debug", B, false},
    {0, 0, "-", nullptr, U, false},
    // Hidden and never shown. Each output item inserts its own panel here; the last two carry
    // Tags of their own (the panels have no reader, so they stay empty on a page).
    {0, 0, "Talvera", nullptr, U, true},
    {1, 6000, "Identifier", "Group_TalveraTest", B, false},
    {1, 6010, "Input1", "Group_TalveraDc1", B, false},
    {1, 6020, "Input2", "Group_TalveraDc2", B, false},
    {1, 6030, "Output1", "Group_TalveraAc1", B, false},
    {1, 6031, "Output2", "Group_TalveraAc2", B, false},
    {1, 6032, "Output3", "Group_TalveraAc3", B, false},
};

} // namespace

std::span<const DesignerMenuEntry> DesignerMenuEntries()
{
    return kMenu;
}

QString DesignerMenuPanel(int tag)
{
    if (tag == 0)
        return QString();
    for (const DesignerMenuEntry& e : kMenu)
        if (e.tag == tag && e.panel)
            return QString::fromLatin1(e.panel);
    return QString();
}

void BuildDesignerMenu(vcl::TComponent* owner, vcl::TPopupMenu* menu,
                       const std::function<void(vcl::TObject*)>& onClick)
{
    std::vector<vcl::TMenuItem*> open;   // the header of each level being filled
    int count = 0;
    for (const DesignerMenuEntry& e : kMenu) {
        auto* item = new vcl::TMenuItem(owner);
        item->SetName(QStringLiteral("Pop_Item%1").arg(++count));
        item->SetCaption(QString::fromUtf8(e.caption));
        item->SetTag(e.tag);
        if (e.hidden)
            item->SetVisible(false);
        if (e.bound)
            item->OnClick = onClick;
        open.resize(static_cast<std::size_t>(e.depth));
        if (e.depth == 0)
            menu->Add(item);
        else
            open.back()->Add(item);
        open.push_back(item);
    }
}

} // namespace design
