// The shipped "Japan" mode on the real window against the simulated inverter: its pages show
// the Japanese-market panels with the simulator's values in a font that has their glyphs, the
// settings write their frames and their labels go red and blue again, the mask radios wait for
// this inverter's word, and a silent inverter turns the values red.
#include "MonitorFixture.h"

#include "design/DisplayOptions.h"

#include "tools/invsim/Faults.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

using namespace monitortest;

class JapanPages : public MonitorWindow {
protected:
    // Tab 1 with the first access code shows page 1, with the second page 3.
    void OpenPage(int tab, const char* code = "4780")
    {
        Prepare("Japan");
        dialogs.answers.push_back(code);
        driver->ChooseTab("PageControl", tab);
        OpenWithoutLoop();
    }
    // (function, register, value) of the writes on the wire since the last ClearFrames.
    std::vector<std::tuple<int, int, int>> Writes() const
    {
        std::vector<std::tuple<int, int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 6 && (f.bytes[1] == 5 || f.bytes[1] == 6))
                out.emplace_back(f.bytes[1], (f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }
    void Screenshots()
    {
        const QByteArray dir = qgetenv("SUNVANE_SCREENSHOTS");
        if (!dir.isEmpty())
            for (vcl::TPanel* p : window->GroupPanels)
                if (p->Visible())
                    p->Handle()->grab().save(QString::fromUtf8(dir) + u'/' + p->Name() + QStringLiteral(".png"));
    }
};

// A text drawn in a widget's font, as pixels.
QImage Drawn(const QFont& font, const QString& text)
{
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(4, 24, text);
    return image;
}

// The mode's layout variant of the current user-setting panel: the shipped "Japan" mode asks for
// the "N" layout; another variant re-titles the panel and moves its rows on their 30-pixel pitch.
TEST_F(JapanPages, UserSettingPanelFollowsTheModesLayoutVariant)
{
    OpenPage(1);
    ASSERT_TRUE(driver->Visible("Label_JapRT"));
    EXPECT_EQ(Text("Label_JapanUserSet"), "Japan User Setting(N)");
    EXPECT_EQ(Text("Label_JapFST_Name"), QString::fromUtf8("OFR 整定時間"));
    auto control = [&](const char* name) { return dynamic_cast<vcl::TControl*>(window->FindComponent(QString::fromLatin1(name))); };
    auto top = [&](const char* name) { return control(name)->Top(); };
    for (const char* name : {"Label_JapRT_Name", "Label_JapRT", "Combo_JapRT", "Label_JapUFRDelayTime_Name", "Combo_JapUFRDelayTime"})
        ASSERT_NE(control(name), nullptr) << name;
    EXPECT_EQ(top("Label_JapRT_Name"), 260);
    EXPECT_EQ(top("Label_JapRT"), 260);
    EXPECT_EQ(top("Combo_JapRT"), 258);
    EXPECT_EQ(top("Label_JapUFRDelayTime_Name"), 230);
    Screenshots();

    design::ApplyJapanUserSettingLayout(*window, 1);
    EXPECT_EQ(Text("Label_JapanUserSet"), "Japan User Setting(O)");
    EXPECT_EQ(top("Label_JapRT_Name"), 230);
    EXPECT_EQ(top("Combo_JapRT"), 228);
    // The old layout has no UFR time of its own: its row goes out of sight, selector and all.
    EXPECT_EQ(top("Label_JapUFRDelayTime_Name"), 1830);
    EXPECT_EQ(top("Combo_JapUFRDelayTime"), 1830);
    EXPECT_GT(top("Combo_JapUFRDelayTime"), control("Group_JapUserSet")->Height());

    // Active islanding keeps its place below every row any variant shows.
    ASSERT_NE(control("Label473"), nullptr);
    const int islanding = top("Combo_JapActiveIslanding");
    for (int variant : {10, 0, 2}) {
        design::ApplyJapanUserSettingLayout(*window, variant);
        EXPECT_EQ(top("Combo_JapActiveIslanding"), islanding);
        for (const char* row : {"Combo_JapUFRDelayTime", "Combo_JapanTraceLoad", "Combo_JapanSetMainLoadCal"})
            if (top(row) < 1000) {
                EXPECT_GE(islanding, top(row) + 30) << row << " in variant " << variant;
            }
    }
    EXPECT_LE(islanding + 24, control("Group_JapUserSet")->Height());
}

TEST_F(JapanPages, SetAndUserSettingsShowTheInvertersValues)
{
    OpenPage(1);
    ASSERT_TRUE(driver->Visible("Label_JapanState"));
    ASSERT_TRUE(driver->Visible("Label_JapOVR"));
    ASSERT_TRUE(driver->Visible("Label_JapOVR_Old"));
    ASSERT_TRUE(driver->Visible("Radio_JapanAntiActiveON"));
    ASSERT_EQ(window->PollCycle(), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_Rating", "5500"},         {"Label_ModelName2", "SUNVANE-5K-3P"}, {"Label_VantoSN1", "SV5K20A123456"},
        {"Label_DSPVer", "V1.02"},        {"Label_DSPDate", "Y21W07"},           {"Label_CommVer", "V10.03"},
        {"Label_JapanState", "On Grid"},  {"Label_DeratingTime", "12 min"},
        {"Label_JapOVR", "115 V"},        {"Label_JapOFR60", "61.0 Hz"},         {"Label_JapQU_PU", "105.0/108.0V"},
        {"Label_JapConstPF", "Ind 0.95"}, {"Label_JapAPS", "300"},               {"Label_JapanCurrBackflowProtect", "ON"},
        {"Label_JapOFR60_Old", "61.1 Hz"}, {"Label_JapUFR60_Old", "58.2 Hz"},    {"Label_JapQU_PU_Old", "Index3"},
    };
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
        EXPECT_EQ(driver->Color(name), vcl::clBlue) << name;
    }
    EXPECT_EQ(Text("Label_InvProtocol"), "Vanto");
    // The old panel fills the current panel's UFR time; 20 is no code of it: blue "??".
    EXPECT_EQ(Text("Label_JapUFRDelayTime"), "??");
    EXPECT_EQ(driver->Color("Label_JapUFRDelayTime"), vcl::clBlue);
    EXPECT_TRUE(driver->Checked("Radio_JapanAntiActiveON"));
    EXPECT_TRUE(driver->Checked("Radio_JapanAdditionalOFF"));
    EXPECT_TRUE(driver->Checked("Radio_JapanInitAction3"));
    EXPECT_TRUE(Writes().empty());
    Screenshots();

    // The Japanese captions are drawn with glyphs, not the missing-glyph box.
    auto* caption = dynamic_cast<vcl::TControl*>(window->FindComponent("Label_JapOVR_Name"));
    ASSERT_NE(caption, nullptr);
    const QFont font = caption->Handle()->font();
    EXPECT_NE(Drawn(font, QString::fromUtf8("説")), Drawn(font, QString(QChar(0xE000))))
        << "no font with Japanese glyphs: install fonts-ipafont-gothic (scripts/deps)";
    EXPECT_NE(Drawn(font, QString::fromUtf8("説")), Drawn(font, QString::fromUtf8("過")));

    // The inverter falls silent: the values turn into red "??".
    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    for (int cycle = 0; cycle < 12 && driver->Color("Label_JapOVR") != vcl::clRed; ++cycle)
        if (window->PollCycle() != 0)
            break;
    for (const char* name : {"Label_JapOVR", "Label_Rating", "Label_JapOFR60_Old"}) {
        EXPECT_EQ(Text(name), "??") << name;
        EXPECT_EQ(driver->Color(name), vcl::clRed) << name;
    }
}

TEST_F(JapanPages, ReadersAskInTheirOrder)
{
    OpenPage(1);
    HideEveryGroup();
    auto* set = dynamic_cast<vcl::TControl*>(window->FindComponent("Group_JapanSet"));
    ASSERT_NE(set, nullptr);
    set->SetVisible(true);
    window->PollCycleCount = 1;   // no version cycle
    const Asked order = {
        {1, 24576}, {1, 24577}, {1, 24595}, {1, 24642}, {1, 24649}, {1, 24617}, {1, 24626}, {1, 24609}, {1, 24641},
        {3, 33597}, {3, 44032}, {4, 40975}, {4, 1040}, {4, 20840}, {1, 24576}, {1, 24577}, {4, 1049}};
    // The first cycle after the link opened reads the inverter's scale factors (identity block,
    // device type) before every other reader; the next ones do not ask for them again.
    Asked first = {{4, 40963}, {3, 25338}};
    first.insert(first.end(), order.begin(), order.end());
    EXPECT_EQ(AskedInACycle(), first);
    EXPECT_EQ(AskedInACycle(), order);
}

TEST_F(JapanPages, SettingsWriteTheirFramesAndReadBack)
{
    OpenPage(1);
    ASSERT_EQ(window->PollCycle(), 0);
    struct Case {
        const char* control;
        const char* action;   // "press", "click", "enter TEXT", "pick N"
        std::tuple<int, int, int> write;
        const char* label;    // red after the post, blue after the read-back
    };
    const Case cases[] = {
        {"Radio_24577SA", "press", {5, 24577, 0xFF00}, nullptr},
        {"Btn_LedTestON", "click", {5, 24713, 0xFF00}, nullptr},
        {"Combo_JapOVR", "pick 7", {6, 25344, 7}, "Label_JapOVR"},
        {"Combo_JapAPS", "pick 3", {6, 25363, 180}, "Label_JapAPS"},
        {"Edit_JapAPP", "enter 50", {6, 25362, 50}, "Label_JapAPP"},
        {"Edit_JapIDsetting", "enter 12", {6, 44040, 12}, "Label_JapIDsetting"},
        {"Combo_JapQU_PU_Old", "pick 4", {6, 25359, 4}, "Label_JapQU_PU_Old"},
        {"Radio_JapanAntiPassiveOFF", "press", {6, 33648, 0x0001}, nullptr},
        {"Radio_JapanAntiPassiveON", "press", {6, 33648, 0x0003}, nullptr},
        {"Radio_JapanFlicker2_SWON", "press", {6, 33658, 0x0007}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.action);
        bus.ClearFrames();
        const QString action = QString::fromLatin1(c.action);
        if (action == "press")
            driver->MouseDown(c.control);
        else if (action == "click")
            driver->Click(c.control);
        else if (action.startsWith("enter "))
            driver->Enter(c.control, action.mid(6));
        else
            driver->Pick(c.control, action.mid(5).toInt());
        if (c.label) {
            EXPECT_EQ(driver->Color(c.label), vcl::clRed);
        }
        ASSERT_EQ(window->PollCycle(), 0);   // readers skip, the command runs at the cycle's end
        EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{c.write}));
        ASSERT_EQ(window->PollCycle(), 0);
        if (c.label) {
            EXPECT_EQ(driver->Color(c.label), vcl::clBlue);
        }
    }
    EXPECT_TRUE(driver->Checked("Radio_JapanFlicker2_SWON"));
    EXPECT_EQ(Text("Label_JapOVR"), "117 V");
    EXPECT_EQ(Text("Label_JapQU_PU_Old"), "Index4");

    // A bounded entry out of range says so and writes nothing.
    bus.ClearFrames();
    dialogs.TakeShown();
    driver->Enter("Edit_JapIDsetting", "40");
    EXPECT_EQ(dialogs.TakeShown(), QStringList{"Please input 1~32"});
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
}

// The mask words belong to the inverter they were read from: after another inverter is chosen a
// mask radio writes nothing until that inverter's word has been read.
TEST_F(JapanPages, MaskRadiosWaitForThisInvertersWord)
{
    OpenPage(1);
    const bool shownBefore = driver->Checked("Radio_JapanLNOVRON");
    driver->MouseDown("Radio_JapanLNOVRON");
    EXPECT_EQ(window->Link.CommandCode, 0);   // nothing read yet
    EXPECT_EQ(driver->Checked("Radio_JapanLNOVRON"), shownBefore) << "a radio that wrote nothing shows as chosen";
    ASSERT_EQ(window->PollCycle(), 0);
    window->ExeSelectInv(0);                  // chosen again: the word is forgotten
    bus.ClearFrames();
    driver->MouseDown("Radio_JapanLNOVRON");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
    driver->MouseDown("Radio_JapanLNOVRON");   // read in that cycle
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{{6, 33648, 0x0103}}));

    // With the broadcast choice a mask radio reaches no inverter.
    ASSERT_EQ(window->PollCycle(), 0);
    driver->MouseDown("Radio_CmdBroadcast");
    bus.ClearFrames();
    driver->MouseDown("Radio_JapanLNOVROFF");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(JapanPages, VersionsAndRemoteControl)
{
    // The main page: the versions of the communication and DSP processors and of both BMS.
    Prepare("Japan");
    OpenWithoutLoop();
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_JapanVersionCOM"), "V1.23");
    EXPECT_EQ(Text("Label_JapanVersionDSP"), "V2.05");
    EXPECT_EQ(Text("Label_JapanVersionSBMS"), "V1.04");
    EXPECT_EQ(Text("Label_JapanVersionRBMS"), "V2.01");

    // "Ctrl" with the first code: remote control; a pick writes the mode and reads it back.
    dialogs.answers.push_back("4780");
    driver->ChooseTab("PageControl", 2);
    ASSERT_TRUE(driver->Visible("Label_Japan_RemoteCtrlMode"));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_Japan_RemoteCtrlMode"), "ON Grid");
    bus.ClearFrames();
    driver->Pick("Combo_Japan_RemoteCtrlMode", 2);
    EXPECT_EQ(driver->Color("Label_Japan_RemoteCtrlMode"), vcl::clRed);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{{6, 25409, 2}}));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_Japan_RemoteCtrlMode"), "Stand Alone");
    EXPECT_EQ(driver->Color("Label_Japan_RemoteCtrlMode"), vcl::clBlue);
}

TEST_F(JapanPages, ArrivalInspectionSwitchesAndButtons)
{
    // "Ctrl" with the third code: the arrival inspection.
    OpenPage(2, "7352");
    ASSERT_TRUE(driver->Visible("Radio_LEDTestOFF"));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(driver->Checked("Radio_LEDTestOFF"));
    const std::pair<const char*, std::tuple<int, int, int>> cases[] = {
        {"Radio_LEDTestON", {5, 24627, 0xFF00}},
        {"Btn_LEDTest1", {6, 811, 1}},
        {"Btn_ReclosureTime30Sec", {6, 48154, 3000}},
        {"Btn_EventResetShip", {5, 24624, 0xFF00}},
    };
    for (const auto& [control, write] : cases) {
        SCOPED_TRACE(control);
        bus.ClearFrames();
        if (QString::fromLatin1(control).startsWith("Radio_"))
            driver->MouseDown(control);
        else
            driver->Click(control);
        ASSERT_EQ(window->PollCycle(), 0);
        EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{write}));
    }
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_TRUE(driver->Checked("Radio_LEDTestON"));   // read back from the coil
}

TEST_F(JapanPages, ThreePhasePanelsAndTheRunStateCommand)
{
    OpenPage(1, "2059");
    ASSERT_TRUE(driver->Visible("Label_Japan3P_RunST_Mode"));
    // A Japanese three-phase inverter starts its reactive control at 107.0 V (the demonstration
    // inverter holds a 230 V grid's value there).
    bus.SetHolding(1, 48790, 1070);
    ASSERT_EQ(window->PollCycle(), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_Version_COMM", "V1.23"},    {"Label_Date_DSP", "Y20W18"},     {"Label_InvSN3", "SV5K20A123456"},
        {"Label_Japan3P_ModelName", "SUNVANE-5K-3P"},
        {"Label_Japan3P_RunST_Mode", "能動方式&&受動方式"}, {"Label_Japan3P_UHighOff", "264.5 V"},
        {"Label_Japan3P_ReactiveStartVoltage", "107.0 V"}, {"Label_Japan3P_PowerSuppress", "Ind 0.95"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
    Screenshots();

    // "受動方式": the mask word's low four bits become 2, the rest stays.
    bus.SetHolding(1, 33648, 0x1237);
    bus.ClearFrames();
    driver->Pick("Combo_Japan3P_RunST_Mode", 2);
    EXPECT_EQ(driver->Color("Label_Japan3P_RunST_Mode"), vcl::clRed);
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{{6, 33648, 0x1232}}));
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Text("Label_Japan3P_RunST_Mode"), QString::fromUtf8("受動方式"));
    EXPECT_EQ(driver->Color("Label_Japan3P_RunST_Mode"), vcl::clBlue);

    bus.ClearFrames();
    driver->Enter("Edit_Japan3P_ReclosureTime", "0.29");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{{6, 48154, 29}}));

    // The grid lock is engaged (bit 0 of 25411): the unlock button is enabled and runs the
    // status group's unlock sequence.
    ASSERT_TRUE(driver->Enabled("Btn_Japan3P_GridUnlock"));
    bus.ClearFrames();
    driver->Click("Btn_Japan3P_GridUnlock");
    ASSERT_EQ(window->PollCycle(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::tuple<int, int, int>>{{6, 25411, 1}, {6, 48384, 1}}));
}

} // namespace
