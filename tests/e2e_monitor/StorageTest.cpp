// The shipped "Storage" mode against a simulated storage inverter and its power meter: the
// battery panels on their pages with the inverter's values, a silent inverter, the charge and
// discharge windows written and read back, and the meter's read under its own ID.
#include "MonitorFixture.h"

#include "tools/invsim/DemoStorage.h"
#include "tools/invsim/Faults.h"

namespace {

using namespace monitortest;

class StoragePages : public MonitorWindow {
protected:
    void SetUp() override
    {
        MonitorWindow::SetUp();
        if (HasFatalFailure())
            return;
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoStorage(inv); });
        bus.With(invsim::demo::kMeterId, [](invsim::Inverter& inv) { invsim::LoadDemoMeter(inv); });
    }
    // The page of the mode "Storage" with this visible index, behind its access code.
    void Open(const char* code, int tab)
    {
        Prepare("Storage");
        if (code) {
            dialogs.answers.push_back(code);
            driver->ChooseTab("PageControl", tab);
        }
        OpenWithoutLoop();
    }
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 6 && f.bytes[1] == 6)
                out.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }
    // Pictures of the visible panels with the simulator's values, for a person to look at.
    void Pictures(const char* page)
    {
        const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
        if (dir.isEmpty())
            return;
        for (vcl::TPanel* p : window->GroupPanels)
            if (p->Visible())
                p->Handle()->grab().save(QString::fromUtf8(dir) + u'/' + QLatin1String(page) + u'_' + p->Name() +
                                         QStringLiteral(".png"));
    }
    void Expect(std::initializer_list<std::pair<const char*, const char*>> expected)
    {
        for (const auto& [name, text] : expected) {
            EXPECT_TRUE(driver->Visible(name)) << name;
            EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
        }
    }
};

TEST_F(StoragePages, MainPageShowsTheBatteryAndASilentInverterMarksIt)
{
    Open(nullptr, 0);
    ASSERT_EQ(window->PollCycle(), 0);
    // The version group's scale factors apply: the demonstration's power words count x10.
    Expect({{"Label_BT_SOC", "65.3 %"}, {"Label_BT_MinT", "-3 \u00B0C"}, {"Label_BT_Current", "-26.30 A"},
            {"Label_BT_Power", "-1400 W"}, {"Label_BT_Voltage", "53.2 V"}, {"Label_BT_Capacity", "10.2 KWh"}});
    EXPECT_EQ(driver->Color("Label_BT_SOC"), vcl::clBlue);
    Pictures("main");
    // Reading writes no setting (the page selects of the measurement and event windows aside).
    for (const auto& [reg, value] : Writes())
        EXPECT_TRUE(reg == 800 || reg == 801) << reg << "=" << value;

    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    for (int cycle = 0; cycle < 12 && driver->Color("Label_BT_SOC") != vcl::clRed; ++cycle)
        if (window->PollCycle() != 0)
            break;
    for (const char* name : {"Label_BT_SOC", "Label_BT_MinT", "Label_BT_Power"}) {
        EXPECT_EQ(Text(name), "??") << name;
        EXPECT_EQ(driver->Color(name), vcl::clRed) << name;
    }
}

TEST_F(StoragePages, WindowsAndSettingsAreWrittenAndReadBack)
{
    Open("4780", 1);
    ASSERT_EQ(window->PollCycle(), 0);
    Expect({{"Label_BT_CtrlMode", "Selfconsumption"}, {"Label_SOC_Limit", "20 %"}, {"Label_Peak_Cut_Power", "5 kW"},
            {"Label_BT_Charge_T1Start", "01:00"}, {"Label_BT_Charge_T1Stop", "06:00"},
            {"Label_BT_DCHG_T1Start", "17:30"}, {"Label_BT_Charge_T3Stop", "219:30"},
            {"Label_Subsidy_Mode", "ON"}, {"Label_PV_Capacity", "9.8 KWh"}, {"Label_Feedin_Percent", "70 %"}});
    Pictures("config");

    // Charge window 1 from 07:30 to 22:00: the rows shown are written, both at once.
    driver->ScrollTop("List_BTC_T1StartHour", 7);
    driver->ScrollTop("List_BTC_T1StartMin", 1);
    driver->ScrollTop("List_BTC_T1StopHour", 22);
    bus.ClearFrames();
    driver->Click("Btn_BTChargeT1Set");
    EXPECT_EQ(driver->Color("Label_BT_Charge_T1Start"), vcl::clRed);
    EXPECT_EQ(driver->Color("Label_BT_Charge_T1Stop"), vcl::clRed);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{25635, 730}, {25636, 2200}}));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_BT_Charge_T1Start"), "07:30");
    EXPECT_EQ(Text("Label_BT_Charge_T1Stop"), "22:00");
    EXPECT_EQ(driver->Color("Label_BT_Charge_T1Start"), vcl::clBlue);
    EXPECT_EQ(driver->Color("Label_BT_Charge_T1Stop"), vcl::clBlue);

    // Clearing discharge window 1 writes the clear mark into both registers.
    bus.ClearFrames();
    driver->Click("Btn_BTDCHGT1Clear");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{25641, 0x55AA}, {25642, 0x55AA}}));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_BT_DCHG_T1Start"), "219:30");
    EXPECT_EQ(Text("Label_BT_DCHG_T1Stop"), "219:30");

    // The other kinds of setting, each on the wire and read back.
    struct Case {
        const char* control;
        const char* action;
        int reg;
        int value;
        const char* label;
        const char* text;
    };
    const Case cases[] = {
        {"Combo_BT_CtrlMode", "pick 2", 25627, 3, "Label_BT_CtrlMode", "Selling First"},
        {"Edit_SOC_Limit", "enter 70", 25617, 70, "Label_SOC_Limit", "70 %"},   // the top of its hint
        {"Edit_Peak_Cut_Power", "enter 7", 25620, 7, "Label_Peak_Cut_Power", "7 kW"},
        {"Combo_Subsidy_Mode", "pick 0", 25632, 0, "Label_Subsidy_Mode", "OFF"},
        {"Edit_PV_Capacity", "enter 12.34", 25633, 123, "Label_PV_Capacity", "12.3 KWh"},
        {"Edit_Feedin_Percent", "enter 60", 25634, 60, "Label_Feedin_Percent", "60 %"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        bus.ClearFrames();
        const QString action = QString::fromLatin1(c.action);
        if (action.startsWith("pick "))
            driver->Pick(c.control, action.mid(5).toInt());
        else
            driver->Enter(c.control, action.mid(6));
        EXPECT_EQ(driver->Color(c.label), vcl::clRed);
        ASSERT_EQ(window->PollCycle(), 0);
        EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{c.reg, c.value}}));
        ASSERT_EQ(window->PollCycle(), 0);
        EXPECT_EQ(Text(c.label), c.text);
        EXPECT_EQ(driver->Color(c.label), vcl::clBlue);
    }
    // Under the write lock nothing is written.
    window->WriteLock = 1;
    window->SuperUserMode = 0;
    bus.ClearFrames();
    driver->Click("Btn_BTChargeT2Clear");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Lock: Permission denied"});
}

TEST_F(StoragePages, ServicePagesShowModulesPackBoardsAndMeter)
{
    Open("2059", 1);
    ASSERT_EQ(window->PollCycle(), 0);
    Expect({{"Label_BTM1_SOC", "65.5 %"}, {"Label_BTM1_MinT", "-3.2 \u00B0C"}, {"Label_BTM2_MinT", "-5.7 \u00B0C"},
            {"Label_BTM1_Current", "-13.15 A"}, {"Label_BTM2_SN", "BTM5K1A2300118"},
            {"Label_QR45_SN", "QR45A2209001234"}, {"Label_QR45_FwVersion", "V1.07"},
            {"Label_PowerMeter_SN", "PM2210034567"}, {"Label_PowerMeter_FW_Version", "V1.02"},
            {"Label_PowerMeter_FW_Date", "Y21W17"}});
    EXPECT_EQ(RequestsFor(3072, 3, invsim::demo::kMeterId), 1);
    EXPECT_EQ(RequestsFor(3072, 3, 1), 0);
    EXPECT_EQ(window->Link.SlaveId, 1);
    Pictures("service");

    driver->ChooseTab("PageControl", 2);
    ASSERT_EQ(window->PollCycle(), 0);
    Expect({{"Label_MasterDCB_BarcodeLabel", "DCB2301M0042"}, {"Label_MasterDCB_MinCellTemper", "-3"},
            {"Label_SlaveDCB_CycleCount", "213"}, {"Label_SlaveDCB_ErrorFlags", "4"}});
    Pictures("boards");
}

TEST_F(StoragePages, ADoubleClickDuringTheMeterReadChoosesTheInverter)
{
    Open("2059", 1);
    // A second inverter found at ID 2.
    bus.With(2, [](invsim::Inverter& inv) { invsim::LoadDemoInverter(inv); });
    TForm_Main& w = *window;
    w.Link.IdFound[2] = 2;
    w.Link.IdBaudCode[2] = 1;
    while (w.IdTreeRoot->Count() > 0)
        w.IdTreeRoot->Item(w.IdTreeRoot->Count() - 1)->Delete();
    BuildFoundIdList(w.FoundIdList, w.Link.IdFound, w.Link.IdBaudCode);
    w.BuildIdTree();
    ASSERT_EQ(driver->TreeItems().filter("ID:").size(), 2);

    // The user double-clicks inverter 2 while the meter is being read.
    bool clicked = false;
    time.hook = [&] {
        if (!clicked && w.StatusText(2) == "Meter..." && w.Link.WireId() == invsim::demo::kMeterId) {
            clicked = true;
            driver->DblClickNode("TreeView", "ID:002");
        }
    };
    ASSERT_EQ(w.PollCycle(), 0);
    time.hook = nullptr;
    ASSERT_TRUE(clicked);
    EXPECT_EQ(w.Link.SlaveId, 2);
    bus.ClearFrames();
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_GT(RequestsFor(1600, 4, 2), 0);
    EXPECT_EQ(RequestsFor(1600, 4, 1), 0);
    EXPECT_EQ(RequestsFor(3072, 3, invsim::demo::kMeterId), 1);
    EXPECT_EQ(w.Link.SlaveId, 2);

    // The meter ID is the combo's text, read anew every cycle.
    driver->Type("Combo_PowerMeter_ID", "253");
    bus.ClearFrames();
    ASSERT_EQ(w.PollCycle(), 0);
    EXPECT_EQ(RequestsFor(3072, 3, 253), 1);
    EXPECT_EQ(RequestsFor(3072, 3, invsim::demo::kMeterId), 0);
    EXPECT_EQ(w.Link.CommandCode, 0);
    EXPECT_EQ(w.Link.SlaveId, 2);

    // A text that is no number addresses nobody: the meter's requests send nothing, the meter's
    // labels keep what they showed, and the inverter stays chosen.
    const QString serial = Text("Label_PowerMeter_SN");
    driver->Type("Combo_PowerMeter_ID", "meter");
    bus.ClearFrames();
    ASSERT_EQ(w.PollCycle(), 0);
    for (const auto& f : bus.Frames())
        EXPECT_EQ(f.bytes[0], 2);
    EXPECT_EQ(RequestsFor(1600, 4, 2), 1);
    EXPECT_EQ(Text("Label_PowerMeter_SN"), serial);
    EXPECT_EQ(w.Link.SlaveId, 2);
}

} // namespace
