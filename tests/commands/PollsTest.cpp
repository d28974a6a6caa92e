// The register polls against the simulated inverter: which rows are read, how each group shows
// a word, the clean-all buttons, and what a row's value edit posts.
#include "CommandsSupport.h"
#include "tests/link/LinkTestSupport.h"

#include "app/SettingsPolls.h"
#include "groups/Polls.h"
#include "vcl/Kit.h"
#include "vcl/UserDriver.h"

#include <memory>

namespace {

using namespace linktest;

class Polls : public LinkOnPty {
protected:
    void SetUp() override
    {
        EnsureApplication();
        LinkOnPty::SetUp();
        time.factor = 0.25;
        vcl::SetDialogService(&dialogs);
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Test");
        form->SetBounds(0, 0, 1300, 420);
        for (int d = 0; d < groups::kPollGroups; ++d) {
            auto* panel = new vcl::TPanel(form.get());
            panel->SetName(QStringLiteral("Group_Poll0%1").arg(d + 1));
            panel->SetParent(form.get());
            panel->SetBounds(4 + 310 * d, 4, 300, 380);
        }
        polls = groups::BuildPollGroups(*form);
        Open();
    }
    void TearDown() override
    {
        user.reset();
        form.reset();
        vcl::SetDialogService(nullptr);
        LinkOnPty::TearDown();
    }
    groups::PollRowControls& Row(int digit, int row) { return polls[static_cast<size_t>(digit)].Rows[static_cast<size_t>(row - 1)]; }
    void SetRow(int digit, int row, int type, const QString& address)
    {
        Row(digit, row).Type->SetItemIndex(type);
        Row(digit, row).Address->SetText(address);
    }
    int Read(int digit) { return groups::ReadPoll(link, polls[static_cast<size_t>(digit)], digit, 0); }

    RecordedDialogs dialogs;
    std::unique_ptr<vcl::TForm> form;
    std::unique_ptr<vcl::UserDriver> user;
    groups::PollGroups polls{};
};

TEST_F(Polls, TheRowsAreNamedBySuffixAndStartEmpty)
{
    EXPECT_EQ(groups::PollSuffix(0, 1), "01");
    EXPECT_EQ(groups::PollSuffix(0, 10), "010");
    EXPECT_EQ(groups::PollSuffix(3, 10), "310");
    for (const char* name : {"Combo_PollType01", "Edit_PollAddr010", "Edit_PollVal19", "Label_PollVal310",
                             "Btn_Poll1CleanAll", "Btn_Poll2CleanAll", "Btn_Poll3ClearAll", "Btn_Poll4ClearAll"})
        EXPECT_NE(form->FindComponent(name), nullptr) << name;
    EXPECT_EQ(Row(3, 10).Type->Items()->Count(), 3);
    EXPECT_EQ(Row(3, 10).Type->ItemIndex(), -1);
    EXPECT_EQ(Row(3, 10).Read->Caption(), "??");
    EXPECT_EQ(polls[1].CleanAll->Caption(), "Clean All");
}

TEST_F(Polls, EachGroupShowsTheWordInItsForm)
{
    bus.SetHolding(1, 802, 0xFFFF);
    bus.SetInput(1, 5, 0x00AB);
    bus.SetCoil(1, 24576, true);
    struct Case { int digit; QString hr, ir, coil; };
    const Case cases[] = {
        {0, "65535", "171", "1"},
        {1, "65535", "171", "1"},
        {2, "-1", "171", "1"},
        {3, "FFFF", "00AB", "1"},
    };
    for (const Case& c : cases) {
        SetRow(c.digit, 1, 2, "802");
        SetRow(c.digit, 2, 1, "5");
        SetRow(c.digit, 10, 0, "24576");
        Row(c.digit, 1).Read->Font()->SetColor(vcl::clRed);
        bus.ClearFrames();
        ASSERT_EQ(Read(c.digit), 0);
        EXPECT_EQ(Row(c.digit, 1).Read->Caption(), c.hr) << c.digit;
        EXPECT_EQ(Row(c.digit, 2).Read->Caption(), c.ir) << c.digit;
        EXPECT_EQ(Row(c.digit, 10).Read->Caption(), c.coil) << c.digit;
        EXPECT_EQ(Row(c.digit, 1).Read->Font()->Color(), vcl::clBlue);
        EXPECT_EQ(host.panels[2], QStringLiteral("Poll0%1...").arg(c.digit + 1));
        // Register 802 is wire address 801 = 0x0321, read with function 3, one word.
        const auto frames = bus.Frames();
        ASSERT_EQ(frames.size(), 3u);
        EXPECT_EQ(std::vector<std::uint8_t>(frames[0].bytes.begin(), frames[0].bytes.begin() + 6),
                  (std::vector<std::uint8_t>{0x01, 0x03, 0x03, 0x21, 0x00, 0x01}));
        EXPECT_EQ(frames[1].bytes[1], 4);
        EXPECT_EQ(frames[2].bytes[1], 1);
    }
}

TEST_F(Polls, RowsWithoutTypeOrAddressAreNotReadAndARejectedReplyShowsError)
{
    bus.SetHolding(1, 10, 7);
    SetRow(0, 1, -1, "10");       // no type
    SetRow(0, 2, 2, "0");
    SetRow(0, 3, 2, "");
    SetRow(0, 4, 2, "abc");
    SetRow(0, 5, 2, "70000");     // beyond the register numbers
    SetRow(0, 6, 2, "-3");
    SetRow(0, 7, 2, "11");        // the inverter has no register 11: an exception reply
    SetRow(0, 8, 2, "0x0A");      // hex text is a number too
    ASSERT_EQ(Read(0), 0);
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(Row(0, r).Read->Caption(), "??") << r;
    EXPECT_EQ(Row(0, 7).Read->Caption(), "Error");
    EXPECT_EQ(Row(0, 7).Read->Font()->Color(), vcl::clBlue);
    EXPECT_EQ(Row(0, 8).Read->Caption(), "7");
    EXPECT_EQ(bus.Frames().size(), 2u);
}

TEST_F(Polls, TheReaderFrame)
{
    SetRow(1, 1, 2, "802");
    polls[1].Panel->SetVisible(false);          // a hidden group costs nothing
    EXPECT_EQ(Read(1), 0);
    polls[1].Panel->SetVisible(true);
    link.CommandCode = 6;                       // a pending command: skip so that it runs soon
    EXPECT_EQ(Read(1), 0);
    link.CommandCode = 0;
    EXPECT_EQ(groups::ReadPoll(link, polls[1], 1, 1), 1);   // stop requested
    EXPECT_FALSE(bus.WaitForFrames(1, 30));
    EXPECT_EQ(Row(1, 1).Read->Caption(), "??");
    link.Com.Close();                           // a failed link ends the polling loop
    EXPECT_EQ(Read(1), 1);
}

TEST_F(Polls, CleanAllEmptiesTheEntriesButKeepsTheValues)
{
    for (int r = 1; r <= 10; ++r) {
        SetRow(2, r, 2, QString::number(100 + r));
        Row(2, r).Value->SetText("5");
        Row(2, r).Read->SetCaption("-7");
    }
    SetRow(3, 1, 0, "9");
    groups::CleanAllRows(polls[2]);
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(Row(2, r).Type->ItemIndex(), -1);
        EXPECT_EQ(Row(2, r).Address->Text(), "");
        EXPECT_EQ(Row(2, r).Value->Text(), "");
        EXPECT_EQ(Row(2, r).Read->Caption(), "-7");
    }
    EXPECT_EQ(Row(3, 1).Address->Text(), "9");   // another group keeps its rows
}

TEST_F(Polls, ARowsValueEditPostsItsWrite)
{
    settings::Context ctx{&link, form.get(), nullptr, nullptr, {}, {}, {}};
    EXPECT_EQ(settings::BindTable(settings::PollRowBindings(), ctx), 40);
    user = std::make_unique<vcl::UserDriver>(form.get());
    auto pending = [&] {
        link.CommandCode = 5;
        link.CommandAddress = 24576;
        link.CommandValue = 7;
    };
    struct Case { int digit, row, type; const char* address; const char* value; int code, reg; std::uint16_t word; bool red; };
    const Case cases[] = {
        {0, 1, 2, "100", "-1", 6, 100, 0xFFFF, true},      // HR: function 6, as typed
        {1, 2, 2, "100", "65535", 6, 100, 0xFFFF, true},
        {1, 3, 2, "100", "-32768", 6, 100, 0x8000, true},
        {2, 3, 0, "24577", "1", 5, 24577, 1, true},        // Coil: the executor sends 0xFF00
        {3, 10, 0, "24577", "2", 5, 24577, 2, true},
        {0, 5, 2, "0x10", "$1F", 6, 16, 0x1F, true},       // hex as the integer entries take it
        {0, 6, 1, "100", "3", 0, 100, 3, true},            // IR: nothing, and the waiting command is dropped
        {0, 7, -1, "100", "3", 0, 100, 3, true},           // no type: the same
        {0, 8, 2, "0", "3", 5, 24576, 7, false},           // no valid address: nothing posted at all
        {0, 9, 0, "65536", "1", 5, 24576, 7, false},
    };
    for (const Case& c : cases) {
        pending();
        auto& row = Row(c.digit, c.row);
        row.Read->Font()->SetColor(vcl::clBlue);
        row.Type->SetItemIndex(c.type);
        row.Address->SetText(c.address);
        user->Enter(row.Value->Name(), c.value);
        EXPECT_EQ(link.CommandCode, c.code) << c.digit << c.row;
        EXPECT_EQ(link.CommandAddress, c.reg) << c.digit << c.row;
        EXPECT_EQ(static_cast<std::uint16_t>(link.CommandValue), c.word) << c.digit << c.row;
        EXPECT_EQ(row.Read->Font()->Color(), c.red ? vcl::clRed : vcl::clBlue) << c.digit << c.row;
    }
    EXPECT_TRUE(dialogs.TakeShown().isEmpty());

    // A value that is not a whole number in -32768..65535 writes nothing, on any row, and says
    // what is wanted; the command waiting in the mailbox stays.
    for (int type : {2, 0, 1}) {
        for (const char* value : {"", " ", "abc", "12.5", "1e3", "12abc", "65536", "-32769", "70000", "99999999999"}) {
            pending();
            auto& row = Row(1, 4);
            row.Read->Font()->SetColor(vcl::clBlue);
            row.Type->SetItemIndex(type);
            row.Address->SetText("100");
            user->Enter(row.Value->Name(), value);
            EXPECT_EQ(link.CommandCode, 5) << type << " '" << value << "'";
            EXPECT_EQ(link.CommandAddress, 24576) << type << " '" << value << "'";
            EXPECT_EQ(link.CommandValue, 7) << type << " '" << value << "'";
            EXPECT_EQ(row.Read->Font()->Color(), vcl::clBlue) << type << " '" << value << "'";
            EXPECT_EQ(dialogs.TakeShown(), QStringList{"Please input -32768~65535"}) << type << " '" << value << "'";
        }
    }
    // Enter in an address edit posts nothing.
    pending();
    user->Enter("Edit_PollAddr01", "200");
    EXPECT_EQ(link.CommandCode, 5);
    EXPECT_EQ(link.CommandAddress, 24576);
}

} // namespace
