// The power-meter reader: the meter's own serial number and firmware.
#include "GroupsTestSupport.h"

#include "groups/PowerMeter.h"

namespace {

using namespace groupstest;

TEST_F(GroupsOnPty, PowerMeterShowsSerialAndFirmware)
{
    MakeGroupPanel(*form, "Group_PowerMeterInfo", 1250);
    groups::PowerMeterGroup meter = groups::BuildPowerMeterGroup(*form);
    ASSERT_NE(meter.MeterId, nullptr);
    EXPECT_EQ(meter.MeterId->Text(), "252");
    EXPECT_EQ(groups::PowerMeterId(meter), 252);
    meter.MeterId->SetText("253");
    EXPECT_EQ(groups::PowerMeterId(meter), 253);
    meter.MeterId->SetText("meter");
    EXPECT_EQ(groups::PowerMeterId(meter), 0);
    meter.MeterId->SetText("509");   // the low 8 bits
    EXPECT_EQ(groups::PowerMeterId(meter), 253);

    bus.AddInverter(253, 9600);
    const char serial[] = "PM-2024 x0007";
    for (int w = 0; w < 7; ++w)
        bus.SetHolding(253, 3072 + w, static_cast<std::uint16_t>(serial[2 * w] << 8 | serial[2 * w + 1]));
    bus.SetInput(253, 258, 0x0105);
    bus.SetInput(253, 259, 0x1407);
    link.SlaveId = 253;
    ASSERT_EQ(groups::ReadPowerMeterInfo(link, meter, 0), 0);
    EXPECT_EQ(host.panels[2], "Meter...");
    EXPECT_EQ(meter.Serial->Caption(), "PM20240007");
    EXPECT_EQ(meter.FwVersion->Caption(), "V1.05");
    EXPECT_EQ(meter.FwDate->Caption(), "Y20W07");
    for (const auto& f : bus.Frames())
        EXPECT_EQ(f.bytes[0], 253);

    meter.Panel->SetVisible(false);
    EXPECT_EQ(groups::ReadPowerMeterInfo(link, meter, 0), 0);
    EXPECT_EQ(groups::ReadPowerMeterInfo(link, meter, 1), 1);
    EXPECT_EQ(bus.Frames().size(), 2u);
}

} // namespace
