// The voltage and frequency protection readers: the limits as the panels show them, and the
// defaults the readers write into unset slow limits for a custom grid code.
#include "GroupsTestSupport.h"

#include "groups/Protection.h"
#include "tools/invsim/Faults.h"

namespace {

using namespace groupstest;

class Protection : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* name : {"Group_UacProtection", "Group_FreqProtection", "Group_AustraliaSet"})
            MakeGroupPanel(*form, name, 1250);
        countryPanel = MakeGroupPanel(*form, "Group_Country", 1250);
        country = new vcl::TLabel(form.get());
        country->SetName("Label_Country");
        country->SetParent(countryPanel);
        country->SetCaption("Germany");
        country->Font()->SetColor(vcl::clBlue);
        g = groups::BuildProtectionGroups(*form);
    }
    void SetHolding(int first, std::initializer_list<std::uint16_t> words)
    {
        for (std::uint16_t w : words)
            bus.SetHolding(1, first++, w);
    }
    // The writes (function 6) the readers sent: register and value.
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& f : bus.Frames())
            if (f.bytes.size() >= 6 && f.bytes[1] == 6)
                out.emplace_back((f.bytes[2] << 8 | f.bytes[3]) + 1, f.bytes[4] << 8 | f.bytes[5]);
        return out;
    }
    int ReadAll()
    {
        return groups::ReadVacProtection(link, g, *form, 0) | groups::ReadFreqProtection(link, g, *form, 0)
            | groups::ReadAustraliaSet(link, g, 0);
    }

    vcl::TPanel* countryPanel = nullptr;
    vcl::TLabel* country = nullptr;
    groups::ProtectionGroup g;
};

TEST_F(Protection, LimitsShowInTheirUnitsAndTurnBlue)
{
    bus.With(1, [](invsim::Inverter& inv) { invsim::LoadDemoProtection(inv); });
    bus.SetInput(1, 1793, 3);
    for (auto* l : g.UacFast)
        l->Font()->SetColor(vcl::clRed);
    ASSERT_EQ(ReadAll(), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_UHighOFF", "264.5 V"}, {"Label_UHighOFFTime", "0.20 Sec"}, {"Label_ULowON", "195.5 V"},
        {"Label_UHighOFFSlowTime", "3.00 Sec"}, {"Label_ULowONSlow", "207.0 V"},
        {"Label_UHighOFFSlow2", "260.0 V"}, {"Label_ULowOFFSlowTime2", "10.00 Sec"},
        {"Label_FHighOFF", "52.00 Hz"}, {"Label_FLowOFFTime", "0.20 Sec"}, {"Label_FLowON", "49.95 Hz"},
        {"Label_FHighOFFSlow", "51.50 Hz"}, {"Label_FLowOFFSlowTime", "5.00 Sec"},
        {"Label_DRM", "3"}, {"Label_UHighOff2", "265.0 V"}, {"Label_UHighOffTime2", "0.20 Sec"},
        {"Label_PuStartVolt", "250.0 V"}, {"Label_PuStopVolt", "265.0 V"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;
    for (auto* l : g.UacFast)
        EXPECT_EQ(l->Font()->Color(), vcl::clBlue);
    EXPECT_EQ(host.panels[2], "Australia Set...");
    EXPECT_TRUE(Writes().empty());   // a reader writes nothing for an ordinary country

    // Large words keep their 16-bit reading.
    SetHolding(33552, {0xFFFF});
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_EQ(Text("Label_UHighOFF"), "6553.5 V");
}

TEST_F(Protection, CountryTestLooksAtThreePlacesOfTheCaption)
{
    const std::pair<const char*, bool> cases[] = {
        {"Customer", true}, {"Cu-----r", true}, {"Cu-----rX more", true}, {"Custom", false},
        {"Cu-----", false}, {"customer", false}, {"CUstomer", false}, {"Cu-----R", false}, {"", false},
    };
    for (const auto& [caption, takes] : cases)
        EXPECT_EQ(groups::CountryTakesSlowDefaults(QString::fromLatin1(caption)), takes) << caption;
}

TEST_F(Protection, UnsetSlowLimitsOfACustomGridGetTheDefaultsInOrder)
{
    SetHolding(33552, {2645, 20, 2530, 1840, 20, 1955, 0, 1000, 0xFFFF, 2300, 0, 2000});
    SetHolding(48176, {2600, 1000, 2500, 1950, 1000, 2070});
    SetHolding(33568, {5200, 20, 5005, 4750, 20, 4995});
    SetHolding(33610, {0, 500, 5005, 0xFFFF, 0, 4995});

    // Not a custom grid code: nothing is written.
    country->SetCaption("Custom");
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_TRUE(Writes().empty());

    country->SetCaption("Customer");
    ASSERT_EQ(groups::ReadVacProtection(link, g, *form, 0), 0);
    const std::vector<std::pair<int, int>> uac = {{33558, 2760}, {33560, 2760}, {33562, 60000}};
    EXPECT_EQ(Writes(), uac);
    // The labels show what was read in this cycle, in blue.
    const std::pair<const char*, const char*> shown[] = {
        {"Label_UHighOFFSlow", "0.0 V"}, {"Label_UHighOFFSlowTime", "10.00 Sec"}, {"Label_UHighONSlow", "6553.5 V"},
        {"Label_ULowOFFSlow", "230.0 V"}, {"Label_ULowOFFSlowTime", "0.00 Sec"}, {"Label_ULowONSlow", "200.0 V"},
    };
    for (const auto& [name, text] : shown) {
        EXPECT_EQ(Text(name), text) << name;
        EXPECT_EQ(Colour(name), vcl::clBlue) << name;
    }

    bus.ClearFrames();
    ASSERT_EQ(groups::ReadFreqProtection(link, g, *form, 0), 0);
    const std::vector<std::pair<int, int>> freq = {{33610, 6500}, {33613, 4500}, {33614, 60000}};
    EXPECT_EQ(Writes(), freq);

    // Only the current inverter's own country counts: a stale caption (red, the inverter fell
    // silent) or one on a hidden Country Set panel (not read this cycle) writes nothing.
    SetHolding(33558, {0});
    SetHolding(33610, {0});
    bus.ClearFrames();
    country->Font()->SetColor(vcl::clRed);
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_TRUE(Writes().empty());
    country->Font()->SetColor(vcl::clBlue);
    countryPanel->SetVisible(false);
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_TRUE(Writes().empty());
    countryPanel->SetVisible(true);

    // Written once more, then held: the next cycle writes nothing more.
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{33558, 2760}, {33610, 6500}}));
    bus.ClearFrames();
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Text("Label_UHighONSlow"), "276.0 V");
    EXPECT_EQ(Text("Label_FLowOFFSlowTime"), "600.00 Sec");
}

TEST_F(Protection, LinkLostOnADefaultWriteEndsTheReader)
{
    country->SetCaption("Customer");
    SetHolding(33552, {2645, 20, 2530, 1840, 20, 1955, 0, 300, 0, 2070, 300, 2070});
    SetHolding(48176, {2600, 1000, 2500, 1950, 1000, 2070});
    for (auto* l : g.UacFast)
        l->Font()->SetColor(vcl::clRed);
    invsim::Fault first;   // the block's reply goes out as it is
    first.kind = invsim::FaultKind::Delay;
    first.param = 0;
    first.times = 1;
    invsim::Fault hangup;
    hangup.kind = invsim::FaultKind::Hangup;
    bus.AddFault(1, first);
    bus.AddFault(1, hangup);
    EXPECT_EQ(groups::ReadVacProtection(link, g, *form, 0), 1);
    // The first default write was the last request: no second write, no second block.
    std::vector<int> asked;
    for (const auto& f : bus.Frames())
        asked.push_back((f.bytes[2] << 8 | f.bytes[3]) + 1);
    EXPECT_EQ(asked, (std::vector<int>{33552, 33558}));
    EXPECT_EQ(Text("Label_UHighOFF"), "264.5 V");
    for (auto* l : g.UacFast)
        EXPECT_NE(l->Font()->Color(), vcl::clBlue);
}

TEST_F(Protection, UnansweredBlocksKeepTheirTextsAndWriteNoDefaults)
{
    // The inverter holds none of these registers: every reply is an exception.
    country->SetCaption("Customer");
    for (auto* l : g.FreqSlow)
        l->Font()->SetColor(vcl::clRed);
    for (auto* l : g.UacFast)
        l->Font()->SetColor(vcl::clRed);
    g.PofU[0]->Font()->SetColor(vcl::clRed);
    ASSERT_EQ(ReadAll(), 0);
    EXPECT_TRUE(Writes().empty());
    // Frequency and AU/NZ labels turn blue even so; the voltage labels do not.
    for (auto* l : g.FreqSlow)
        EXPECT_EQ(l->Font()->Color(), vcl::clBlue);
    EXPECT_EQ(g.PofU[0]->Font()->Color(), vcl::clBlue);
    for (auto* l : g.UacFast) {
        EXPECT_EQ(l->Font()->Color(), vcl::clRed);
        EXPECT_EQ(l->Caption(), "??");
    }
    // Every block was asked for once, in order.
    std::vector<int> asked;
    for (const auto& f : bus.Frames())
        asked.push_back((f.bytes[2] << 8 | f.bytes[3]) + 1);
    EXPECT_EQ(asked, (std::vector<int>{33552, 48176, 33568, 33610, 1793, 33564, 48550}));

    // A hidden panel costs nothing; a stop request ends the reader.
    bus.ClearFrames();
    g.Uac->SetVisible(false);
    EXPECT_EQ(groups::ReadVacProtection(link, g, *form, 0), 0);
    EXPECT_EQ(groups::ReadFreqProtection(link, g, *form, 1), 1);
    EXPECT_TRUE(bus.Frames().empty());
}

} // namespace
