// The partner brand's panels and the STX product line's panel on the real window: the designer
// mode's pages show them with the simulator's values, and a silent inverter turns them red.
#include "MonitorFixture.h"

#include "tools/invsim/Faults.h"
#include "tools/invsim/Stx.h"

namespace {

using namespace monitortest;

class PartnerPages : public MonitorWindow {
protected:
    void Open(int tab)
    {
        bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoTalvera(inv.Talvera()); });
        Prepare("SuperHero");
        driver->ChooseTab("PageControl", tab);
        OpenWithoutLoop();
        ASSERT_EQ(window->PollCycle(), 0);
    }
};

TEST_F(PartnerPages, PartnerPanelsShowTheInvertersValues)
{
    Open(6);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_HRN_OutputTime", "2032 Hour 51 Min."}, {"Label_HRN_StartTime", "2020/01/01"},
        {"Label_HRN_VdcMax", "438.5"},                {"Label_HRN_VacMax", "245.1"},
        {"Label_HRN_Vdc1", "365.2"},                  {"Label_HRN_Idc1", "8.1"},
        {"Label_HRN_Pdc2", "2881"},                   {"Label_HRN_SysOVR", "115 V"},
        {"Label_HRN_SysOFR", "61.1 Hz"},              {"Label_HRN_PowDerate", "0.95"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), QString::fromUtf8(text)) << name;
    // The processor versions are the words of the firmware block the Japanese-market groups
    // share, whatever a demonstration puts there.
    int dsp = -1, comm = -1;
    bus.With(1, [&](invsim::Inverter& inv) {
        dsp = inv.Input(1040).value_or(0);
        comm = inv.Input(1044).value_or(0);
    });
    EXPECT_EQ(Text("Label_HRN_DspMCU"), groups::PartnerVersionText(dsp));
    EXPECT_EQ(Text("Label_HRN_CommMCU"), groups::PartnerVersionText(comm));

    invsim::Fault silence;
    silence.kind = invsim::FaultKind::Silence;
    bus.AddFault(1, silence);
    for (int cycle = 0; cycle < 12 && driver->Color("Label_HRN_Vdc1") != vcl::clRed; ++cycle)
        if (window->PollCycle() != 0)
            break;
    EXPECT_EQ(driver->Color("Label_HRN_Vdc1"), vcl::clRed);
    EXPECT_EQ(Text("Label_HRN_Vdc1"), "??");
}

TEST_F(PartnerPages, StxPanelShowsTheIdentity)
{
    Open(5);
    EXPECT_EQ(Text("Label_TalveraType"), "TLV-5000");
    EXPECT_EQ(Text("Label_TalveraSN"), "TV50A2411007");
    EXPECT_EQ(Text("Label_TalveraDate"), "15/3/2024");
    // Its requests were STX frames to the polled inverter.
    int stx = 0;
    for (const auto& f : bus.Frames())
        stx += invsim::IsStxRequest(f.bytes) && f.bytes[2] == 1;
    EXPECT_EQ(stx, 5);
}

} // namespace
