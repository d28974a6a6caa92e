// The storage groups on a simulated storage inverter: what each reader asks for and shows, the
// signs of currents, powers and temperatures, the read-back colours of the settings groups, and
// what the readers keep when a reply is refused or the link fails.
#include "GroupsTestSupport.h"

#include "groups/Storage.h"
#include "groups/Version.h"
#include "tools/invsim/DemoStorage.h"
#include "tools/invsim/Faults.h"

#include <functional>

namespace {

using namespace groupstest;

struct Request {
    int reg;
    int count;
    int fc;
    bool operator==(const Request&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Request& r)
{
    return os << "{" << r.reg << " x" << r.count << " fc" << r.fc << "}";
}

class Storage : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        int top = 1250;
        for (const char* name : {"Group_BT_Info", "Group_BT_CTRL", "Group_Subsidy", "Group_BT_Module1",
                                 "Group_BT_Module2", "Group_Qr45Info", "Group_MasterDCB", "Group_SlaveDCB"}) {
            MakeGroupPanel(*form, name, top)->SetBounds(0, top, 300, 400);
            top += 405;
        }
        g = groups::BuildStorageGroups(*form);
        bus.With(1, [](invsim::Inverter& inv) {
            invsim::LoadDemoInverter(inv);
            invsim::LoadDemoStorage(inv);
        });
        state.PowerMultiplier = 10;
    }
    std::vector<Request> Requests() const
    {
        std::vector<Request> out;
        for (const auto& f : bus.Frames())
            out.push_back({(f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5], f.bytes[1]});
        return out;
    }
    // The readers by name, as the polling loop calls them.
    std::map<std::string, std::function<int(std::uint8_t)>> Readers()
    {
        return {
            {"info", [this](std::uint8_t s) { return groups::ReadBatteryInfo(link, ctx, g, *form, s); }},
            {"ctrl", [this](std::uint8_t s) { return groups::ReadBatteryCtrl(link, g, *form, s); }},
            {"subsidy", [this](std::uint8_t s) { return groups::ReadSubsidy(link, g, *form, s); }},
            {"module1", [this](std::uint8_t s) { return groups::ReadBatteryModule(link, g, *form, 1, s); }},
            {"module2", [this](std::uint8_t s) { return groups::ReadBatteryModule(link, g, *form, 2, s); }},
            {"qr45", [this](std::uint8_t s) { return groups::ReadQR45(link, g, *form, s); }},
            {"master", [this](std::uint8_t s) { return groups::ReadDcBoard(link, g, *form, false, s); }},
            {"slave", [this](std::uint8_t s) { return groups::ReadDcBoard(link, g, *form, true, s); }},
        };
    }
    void ReadAll()
    {
        for (auto& [name, read] : Readers())
            ASSERT_EQ(read(0), 0) << name;
    }
    groups::StorageGroups g;
};

TEST_F(Storage, EachReaderAsksForItsBlocksAndShowsItsProgress)
{
    struct Case {
        const char* reader;
        const char* progress;
        std::vector<Request> requests;
    };
    const Case cases[] = {
        {"info", "BT Info...", {{1536, 19, 4}, {1564, 4, 4}, {25614, 2, 3}}},
        {"ctrl", "BT CTRL...", {{25617, 4, 3}, {25627, 1, 3}, {25635, 12, 3}}},
        {"subsidy", "Subsidy...", {{25632, 3, 3}}},
        {"module1", "BTM1...", {{1600, 14, 4}, {1666, 8, 4}}},
        {"module2", "BTM2...", {{1616, 14, 4}, {1682, 8, 4}}},
        {"qr45", "QR45...", {{24832, 8, 3}, {1044, 2, 4}, {31026, 26, 4}}},
        {"master", "M_DCB...", {{35209, 8, 4}, {35122, 3, 4}, {35139, 22, 4}}},
        {"slave", "S_DCB...", {{35337, 8, 4}, {35250, 3, 4}, {35267, 22, 4}}},
    };
    auto readers = Readers();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reader);
        bus.ClearFrames();
        host.panels[2].clear();
        ASSERT_EQ(readers[c.reader](0), 0);
        EXPECT_EQ(Requests(), c.requests);
        EXPECT_EQ(host.panels[2], c.progress);
    }
    // A hidden panel costs nothing: with module 2 hidden only module 1 is read.
    g.Module2->SetVisible(false);
    bus.ClearFrames();
    ASSERT_EQ(readers["module1"](0), 0);
    ASSERT_EQ(readers["module2"](0), 0);
    EXPECT_EQ(Requests(), (std::vector<Request>{{1600, 14, 4}, {1666, 8, 4}}));
    // The stop flag ends every reader before it asks.
    bus.ClearFrames();
    for (auto& [name, read] : readers)
        EXPECT_EQ(read(1), 1) << name;
    EXPECT_TRUE(Requests().empty());
}

TEST_F(Storage, ShowsTheStorageInverter)
{
    ReadAll();
    const std::pair<const char*, const char*> expected[] = {
        // The summary; the coldest cell below zero, discharging current and power negative.
        {"Label_BT_Status", "2"}, {"Label_BT_SOC", "65.3 %"}, {"Label_BT_SOH", "98 %"}, {"Label_BT_Event", "0"},
        {"Label_BT_MaxVolt", "3342 mV"}, {"Label_BT_MinVolt", "3318 mV"}, {"Label_BT_MaxT", "12 \u00B0C"},
        {"Label_BT_MinT", "-3 \u00B0C"}, {"Label_BT_Capacity", "10.2 KWh"}, {"Label_BT_Mode", "1"},
        {"Label_BT_RealSOC", "64.8 %"}, {"Label_BT_RPRPwr", "-350 W"}, {"Label_BT_Voltage", "53.2 V"},
        {"Label_BT_Current", "-26.30 A"}, {"Label_BT_Power", "-1400 W"}, {"Label_BT_MCCL", "50.0 A"},
        {"Label_BT_MDCL", "50.0 A"},
        // Control and subsidy.
        {"Label_SOC_Limit", "20 %"}, {"Label_Peak_Cut_Power", "5 kW"}, {"Label_BT_CtrlMode", "Selfconsumption"},
        {"Label_BT_Charge_T1Start", "01:00"}, {"Label_BT_Charge_T1Stop", "06:00"},
        {"Label_BT_Charge_T2Start", "219:30"}, {"Label_BT_DCHG_T1Start", "17:30"},
        {"Label_BT_DCHG_T1Stop", "22:00"}, {"Label_BT_DCHG_T3Stop", "219:30"},
        {"Label_Subsidy_Mode", "ON"}, {"Label_PV_Capacity", "9.8 KWh"}, {"Label_Feedin_Percent", "70 %"},
        // The modules.
        {"Label_BTM1_Status", "1"}, {"Label_BTM1_SOC", "65.5 %"}, {"Label_BTM1_SOH", "98.5 %"},
        {"Label_BTM1_MaxVolt", "3342 mV"}, {"Label_BTM1_Current", "-13.15 A"}, {"Label_BTM1_MaxT", "11.8 \u00B0C"},
        {"Label_BTM1_MinT", "-3.2 \u00B0C"}, {"Label_BTM1_InputCap", "1520kWh"}, {"Label_BTM1_OutputCap", "1432kWh"},
        {"Label_BTM1_SN", "BTM5K1A2300117"}, {"Label_BTM2_MinT", "-5.7 \u00B0C"}, {"Label_BTM2_SN", "BTM5K1A2300118"},
        // The pack and the boards.
        {"Label_QR45_SN", "QR45A2209001234"}, {"Label_QR45_FwVersion", "V1.07"}, {"Label_QR45_FwDate", "Y22W20"},
        {"Label_QR45_SOC", "65"}, {"Label_QR45_TotalVolt", "532"}, {"Label_QR45_MinCellVolt", "3318"},
        {"Label_MasterDCB_BarcodeLabel", "DCB2301M0042"}, {"Label_MasterDCB_CycleCount", "212"},
        {"Label_MasterDCB_MaxCellTemper", "12"}, {"Label_MasterDCB_MinCellTemper", "-3"},
        {"Label_MasterDCB_OutputCapacity", "1432"}, {"Label_SlaveDCB_ErrorFlags", "4"},
        {"Label_SlaveDCB_MinCellTemper", "-5"}, {"Label_SlaveDCB_BarcodeLabel", "DCB2301S0043"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
}

TEST_F(Storage, SignsScalesAndTexts)
{
    struct Case {
        int reg;
        bool input;
        int word;
        const char* reader;
        const char* label;
        const char* text;
    };
    const Case cases[] = {
        // Temperatures are signed: a tenth-degree module word and a whole-degree summary word.
        {1608, true, 0xFFF6, "module1", "Label_BTM1_MaxT", "-1.0 \u00B0C"},
        {1546, true, 0x8000, "info", "Label_BT_MinT", "-32768 \u00B0C"},
        {1545, true, 0x7FFF, "info", "Label_BT_MaxT", "32767 \u00B0C"},
        {1607, true, 0xFF9C, "module1", "Label_BTM1_Current", "-1.00 A"},
        // The power word is signed and multiplied (x10 here).
        {1567, true, 0xFFFE, "info", "Label_BT_Power", "-20 W"},
        {1564, true, 0x8000, "info", "Label_BT_RPRPwr", "-327680 W"},
        // Modules' state of health in tenths, the summary's in whole percent.
        {1604, true, 1000, "module1", "Label_BTM1_SOH", "100.0 %"},
        {1539, true, 100, "info", "Label_BT_SOH", "100 %"},
        {25614, false, 0xFF38, "info", "Label_BT_MCCL", "-20.0 A"},
        {1044, true, 0x0A07, "qr45", "Label_QR45_FwVersion", "V10.07"},
        {1045, true, 0x1409, "qr45", "Label_QR45_FwDate", "Y20W09"},
        {35154, true, 0xFFF6, "master", "Label_MasterDCB_MinCellTemper", "-10"},
        // Window times: midnight, the last half hour, a cleared window.
        {25636, false, 0, "ctrl", "Label_BT_Charge_T1Stop", "00:00"},
        {25636, false, 2330, "ctrl", "Label_BT_Charge_T1Stop", "23:30"},
        {25646, false, 0x55AA, "ctrl", "Label_BT_DCHG_T3Stop", "219:30"},
        {25633, false, 123, "subsidy", "Label_PV_Capacity", "12.3 KWh"},
        {25627, false, 8, "ctrl", "Label_BT_CtrlMode", "Standalone"},
        {25627, false, 0, "ctrl", "Label_BT_CtrlMode", "Standby"},
    };
    auto readers = Readers();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.input)
            bus.SetInput(1, c.reg, static_cast<std::uint16_t>(c.word));
        else
            bus.SetHolding(1, c.reg, static_cast<std::uint16_t>(c.word));
        ASSERT_EQ(readers[c.reader](0), 0);
        EXPECT_EQ(Text(c.label), QString::fromUtf8(c.text));
    }
    // Serial texts keep "0" to "Z" only: A B - 1 2 blank x NUL ... gives AB12.
    bus.SetInput(1, 1666, 'A' << 8 | 'B');
    bus.SetInput(1, 1667, '-' << 8 | '1');
    bus.SetInput(1, 1668, '2' << 8 | ' ');
    bus.SetInput(1, 1669, 'x' << 8);
    for (int k = 4; k < 8; ++k)
        bus.SetInput(1, 1666 + k, 0);
    ASSERT_EQ(readers["module1"](0), 0);
    EXPECT_EQ(Text("Label_BTM1_SN"), "AB12");
}

TEST_F(Storage, SettingsLabelsTurnBlueAfterEveryReadAndKeepTextsTheyCannotShow)
{
    ReadAll();
    const char* ctrlLabels[] = {"Label_SOC_Limit", "Label_Peak_Cut_Power", "Label_BT_CtrlMode",
                                "Label_BT_Charge_T1Start", "Label_BT_DCHG_T3Stop"};
    const char* subsidyLabels[] = {"Label_Subsidy_Mode", "Label_PV_Capacity", "Label_Feedin_Percent"};
    auto paintRed = [&] {
        for (const char* n : ctrlLabels)
            groups::FindLabel(*form, n)->Font()->SetColor(vcl::clRed);
        for (const char* n : subsidyLabels)
            groups::FindLabel(*form, n)->Font()->SetColor(vcl::clRed);
    };
    // Words the labels have no text for: the texts stay, the colours turn blue.
    bus.SetHolding(1, 25627, 9);
    bus.SetHolding(1, 25632, 2);
    paintRed();
    auto readers = Readers();
    ASSERT_EQ(readers["ctrl"](0), 0);
    ASSERT_EQ(readers["subsidy"](0), 0);
    EXPECT_EQ(Text("Label_BT_CtrlMode"), "Selfconsumption");
    EXPECT_EQ(Text("Label_Subsidy_Mode"), "ON");
    for (const char* n : ctrlLabels)
        EXPECT_EQ(Colour(n), vcl::clBlue) << n;
    for (const char* n : subsidyLabels)
        EXPECT_EQ(Colour(n), vcl::clBlue) << n;

    // Refused replies: every block's texts stay, and still the colours turn blue.
    bus.SetHolding(1, 25617, 55);
    bus.SetHolding(1, 25633, 200);
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 4;
    bus.AddFault(1, refuse);
    paintRed();
    ASSERT_EQ(readers["ctrl"](0), 0);
    ASSERT_EQ(readers["subsidy"](0), 0);
    EXPECT_EQ(Text("Label_SOC_Limit"), "20 %");
    EXPECT_EQ(Text("Label_PV_Capacity"), "9.8 KWh");
    for (const char* n : ctrlLabels)
        EXPECT_EQ(Colour(n), vcl::clBlue) << n;
    for (const char* n : subsidyLabels)
        EXPECT_EQ(Colour(n), vcl::clBlue) << n;

    // A failed link (the line is gone) ends the readers at once, before any colour changes.
    bus.Stop();
    paintRed();
    EXPECT_EQ(readers["ctrl"](0), 1);
    EXPECT_EQ(readers["subsidy"](0), 1);
    for (const char* n : ctrlLabels)
        EXPECT_EQ(Colour(n), vcl::clRed) << n;
    for (const char* n : subsidyLabels)
        EXPECT_EQ(Colour(n), vcl::clRed) << n;
}

TEST_F(Storage, ARefusedBlockKeepsOnlyItsOwnLabels)
{
    ReadAll();
    // The pack's serial block is refused, its other blocks are read.
    bus.SetHolding(1, 24832, 'Z' << 8 | 'Z');
    bus.SetInput(1, 31043, 77);
    invsim::Fault refuse;
    refuse.kind = invsim::FaultKind::Exception;
    refuse.times = 1;
    bus.AddFault(1, refuse);
    ASSERT_EQ(Readers()["qr45"](0), 0);
    EXPECT_EQ(Text("Label_QR45_SN"), "QR45A2209001234");
    EXPECT_EQ(Text("Label_QR45_SOC"), "77");
    // Live values keep their colour; only the settings groups paint.
    EXPECT_EQ(Colour("Label_QR45_SOC"), vcl::clBlue);
    groups::FindLabel(*form, "Label_BT_SOC")->Font()->SetColor(vcl::clBlack);
    ASSERT_EQ(Readers()["info"](0), 0);
    EXPECT_EQ(Colour("Label_BT_SOC"), vcl::clBlack);
}

TEST(StorageWindows, TheRowsShownMakeTheTime)
{
    EnsureApp();
    vcl::TForm form;
    auto* panel = MakeGroupPanel(form, "Group_BT_CTRL", 0);
    panel->SetBounds(0, 0, 300, 400);
    groups::BuildStorageGroups(form);
    auto list = [&form](const char* name) { return dynamic_cast<vcl::TListBox*>(form.FindComponent(name)); };
    ASSERT_NE(list("List_BTDCHG_T3StopMin"), nullptr);
    EXPECT_EQ(list("List_BTC_T1StartHour")->Items()->Count(), 24);
    EXPECT_EQ(list("List_BTC_T1StartHour")->Items()->Strings(23), "23");
    EXPECT_EQ(list("List_BTC_T1StartMin")->Items()->Count(), 2);
    EXPECT_EQ(list("List_BTC_T1StartMin")->Items()->Strings(1), "30");
    // A selection elsewhere does not count: the row shown does.
    list("List_BTC_T2StopHour")->SetItemIndex(2);
    list("List_BTC_T2StartHour")->SetTopIndex(7);
    list("List_BTC_T2StartMin")->SetTopIndex(1);
    list("List_BTC_T2StopHour")->SetTopIndex(23);
    list("List_BTC_T2StopMin")->SetTopIndex(1);
    ASSERT_EQ(list("List_BTC_T2StopHour")->ItemIndex(), 2);
    EXPECT_EQ(groups::WindowTime(form, "List_BTC_T2", false), 730);
    EXPECT_EQ(groups::WindowTime(form, "List_BTC_T2", true), 2330);
    EXPECT_EQ(groups::WindowTime(form, "List_BTC_T1", false), 0);
}

} // namespace
