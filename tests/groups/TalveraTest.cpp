// The STX product line: the request frame, the reply judged by its own check, the radio link
// sending nothing, and the four panels filled from an STX inverter on the bus beside a Modbus one.
#include "GroupsTestSupport.h"

#include "groups/Talvera.h"
#include "tools/invsim/Stx.h"

namespace {

using namespace groupstest;

class Talvera : public GroupsOnPty {
protected:
    void SetUp() override
    {
        GroupsOnPty::SetUp();
        if (HasFatalFailure())
            return;
        int top = 1250;
        for (const char* name : {"Group_TalveraTest", "Group_TalveraDc1", "Group_TalveraDc2", "Group_TalveraAc1"}) {
            MakeGroupPanel(*form, name, top)->SetBounds(0, top, 300, 200);
            top += 210;
        }
        g = groups::BuildTalveraGroups(*form);
        // Slave 2 answers STX; slave 1 (Modbus only) shares the bus.
        bus.AddInverter(2, 9600);
        bus.With(2, [](invsim::Inverter& inv) {
            invsim::TalveraState& t = inv.Talvera();
            t.answers = true;
            t.values = {{2, 3652}, {1, 123}, {3, 4200}, {0x0C, 2200}, {5, 3610}, {4, 98},
                        {6, 3500}, {0x0D, 2150}, {7, 2301}, {8, 331}, {9, 7600}, {0x0A, 5001}};
        });
        link.SlaveId = 2;
    }
    groups::TalveraGroups g;
};

TEST_F(Talvera, RequestFrameAndReplyCheck)
{
    link.SlaveId = 1;
    ASSERT_EQ(link.RequestStx(0x10, 2), 0);
    ASSERT_FALSE(bus.Frames().empty());
    EXPECT_EQ(bus.Frames().back().bytes, (invsim::Bytes{0x02, 0x05, 0x01, 0x02, 0x10, 0x02, 0xE0, 0x3D, 0x03}));
    EXPECT_EQ(link.ReplyOk, 0);   // slave 1 does not speak STX

    link.SlaveId = 2;
    ASSERT_EQ(link.RequestStx(0x10, 2), 0);
    EXPECT_EQ(link.ReplyOk, 1);
    EXPECT_EQ(link.Reply[1], 0x06);
    EXPECT_EQ(link.Reply[6] * 256 + link.Reply[7], 3652);

    // A spoilt end byte is rejected and counted as a bad reply; the next good one is taken.
    const int errors = link.CrcErrors;
    bus.AddFault(2, invsim::Fault{invsim::FaultKind::BadCrc, -1, -1, 1});
    ASSERT_EQ(link.RequestStx(0x10, 2), 0);
    EXPECT_EQ(link.ReplyOk, 0);
    EXPECT_EQ(link.CrcErrors, errors + 1);
    ASSERT_EQ(link.RequestStx(0x00, 0x01), 0);
    EXPECT_EQ(link.ReplyOk, 1);

    // The checks of a reply: its own length, CRC-16/ARC and end byte.
    invsim::TalveraState clock;
    clock.answers = true;
    // A request with a wrong CRC gets no answer.
    EXPECT_TRUE(invsim::StxAnswer(2, clock, {0x02, 0x05, 0x02, 0x02, 0x00, 0x21, 0, 0, 0x03}).empty());
    invsim::Bytes request{0x02, 0x05, 0x02, 0x02, 0x00, 0x21};
    const std::uint16_t crc = invsim::Crc16Arc(request.data() + 1, 5);
    request.insert(request.end(), {static_cast<std::uint8_t>(crc), static_cast<std::uint8_t>(crc >> 8), 0x03});
    const invsim::Bytes reply = invsim::StxAnswer(2, clock, request);
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(Modbus::CheckStx(reply.data(), static_cast<int>(reply.size())), 1);
    EXPECT_EQ(Modbus::CheckStx(reply.data(), static_cast<int>(reply.size()) - 1), 0);   // cut short
    invsim::Bytes flipped = reply;
    flipped[6] ^= 1;
    EXPECT_EQ(Modbus::CheckStx(flipped.data(), static_cast<int>(flipped.size())), 0);

    // No inverter chosen: nothing is sent and nothing counts as unanswered.
    const int unanswered = link.NoReplyCount;
    auto framesBefore = bus.Frames().size();
    link.SlaveId = 0;
    ASSERT_EQ(link.RequestStx(0x10, 2), 0);
    EXPECT_EQ(bus.Frames().size(), framesBefore);
    EXPECT_EQ(link.NoReplyCount, unanswered);
    link.SlaveId = 2;

    // The radio link carries Modbus only: nothing is sent, nothing answers.
    framesBefore = bus.Frames().size();
    link.LinkType = LinkSub1g;
    ASSERT_EQ(link.RequestStx(0x10, 2), 0);
    EXPECT_EQ(link.ReplyOk, 0);
    EXPECT_EQ(link.ReplyLength, 0);
    link.LinkType = LinkRs485;
    EXPECT_EQ(bus.Frames().size(), framesBefore);
}

TEST_F(Talvera, PanelsShowTheInvertersValues)
{
    ASSERT_EQ(groups::ReadTalveraTest(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadTalveraDc1(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadTalveraDc2(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadTalveraAc1(link, g, *form, 0), 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Label_TalveraType", "TLV-5000"},        {"Label_TalveraSN", "TV50A2411007"},
        {"Label_TalveraSAP", "SAP-7731-02"},      {"Label_TalveraDate", "15/3/2024"},
        {"Label_TalveraTime", "9:5:0"},           {"Label_TalveraVdcActual1", "3652"},
        {"Label_TalveraIdcActual1", "12.3"},      {"Label_TalveraPdcActual1", "4200"},
        {"Label_TalveraIsoActual1", "2200"},      {"Label_TalveraIdcActual2", "9.8"},
        {"Label_TalveraIsoActual2", "2150"},      {"Label_TalveraIacActual1", "33.1"},
        {"Label_TalveraFacActual1", "5001"},
    };
    for (const auto& [name, text] : expected)
        EXPECT_EQ(Text(name), text) << name;

    // The year is always of this century; a hidden panel is not read.
    bus.With(2, [](invsim::Inverter& inv) { inv.Talvera().year = 7; });
    g.Dc2->SetVisible(false);
    bus.ClearFrames();
    ASSERT_EQ(groups::ReadTalveraTest(link, g, *form, 0), 0);
    ASSERT_EQ(groups::ReadTalveraDc2(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_TalveraDate"), "15/3/2007");
    EXPECT_EQ(bus.Frames().size(), 5u);
}

// An acknowledge that carries no value leaves the label as it was (its CRC is no value), and the
// control bytes of a device's text are dropped.
TEST_F(Talvera, ShortAcknowledgeAndControlBytes)
{
    ASSERT_EQ(groups::ReadTalveraDc1(link, g, *form, 0), 0);
    ASSERT_EQ(Text("Label_TalveraVdcActual1"), "3652");
    bus.With(2, [](invsim::Inverter& inv) {
        invsim::TalveraState& t = inv.Talvera();
        t.values[2] = -1;
        t.serial = std::string("\x01TV50\0A24\x7F" "11007\r\n", 15);
        t.type = "TLV\t-5000";
    });
    ASSERT_EQ(groups::ReadTalveraDc1(link, g, *form, 0), 0);
    EXPECT_EQ(link.ReplyOk, 1) << "the last acknowledge was good";
    EXPECT_EQ(Text("Label_TalveraVdcActual1"), "3652");
    ASSERT_EQ(groups::ReadTalveraTest(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_TalveraSN"), "TV50A2411007");
    EXPECT_EQ(Text("Label_TalveraType"), "TLV-5000");
}

// A Modbus reply where an STX one was asked for is not decoded.
TEST_F(Talvera, ModbusInverterLeavesThePanelsAlone)
{
    link.SlaveId = 1;
    ASSERT_EQ(groups::ReadTalveraDc1(link, g, *form, 0), 0);
    EXPECT_EQ(Text("Label_TalveraVdcActual1"), "??");
}

} // namespace
