#include "DesignTestSupport.h"

#include "design/LayoutFile.h"
#include "design/PanelsOnForm.h"
#include "design/ModeState.h"
#include "design/PageSwitch.h"
#include "design/SettingsOnForm.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

#include "support/QtApp.h"
#include <memory>

namespace {

using namespace design;

// A form with the seven page boxes and a few group panels, all on page 1's box at first.
class PanelsOnForm : public designtest::DesignTest {
protected:
    void SetUp() override
    {
        DesignTest::SetUp();
        testsupport::EnsureApplication();
        form = std::make_unique<vcl::TForm>();
        form->SetName("Form_Main");
        for (int n = 1; n <= 7; ++n) {
            auto* box = new vcl::TScrollBox(form.get());
            box->SetName(QStringLiteral("Scroll_Page%1").arg(n));
            box->SetParent(form.get());
            box->SetBounds(0, 0, 1000, 700);
        }
        for (const char* name : {"Group_Version", "Group_Status", "Group_ActivePower", "Group_Debug"}) {
            auto* panel = new vcl::TPanel(form.get());
            panel->SetName(name);
            panel->SetTag(GroupPanels()[GroupPanelIndex(QString::fromLatin1(name))].tag);
            panel->SetParent(PageBox(*form, 1));
            panel->SetBounds(0, 0, 300, 40);
            panel->Hide();
        }
    }
    vcl::TControl* P(const char* name) { return dynamic_cast<vcl::TControl*>(form->FindComponent(name)); }

    std::unique_ptr<vcl::TForm> form;
};

TEST_F(PanelsOnForm, SavedPageComesBackOntoTheShownPage)
{
    P("Group_Version")->SetParent(PageBox(*form, 0));
    P("Group_Version")->SetBounds(3, 3, 300, 350);
    P("Group_Status")->SetParent(PageBox(*form, 0));
    P("Group_Status")->SetBounds(310, 3, 300, 230);
    P("Group_ActivePower")->SetBounds(5, 5, 300, 200);   // expanded, but on page 1's box
    const PanelStates collected = CollectPanels(*form);
    EXPECT_EQ(collected[GroupPanelIndex(u"Group_Version")].page, 0);
    EXPECT_EQ(collected[GroupPanelIndex(u"Group_ActivePower")].page, 1);
    EXPECT_EQ(collected[GroupPanelIndex(u"Group_Mask1")].page, -1);   // not on this form

    const QString path = Path("MonitorSet0.RQX");
    designtest::WriteAll(path, "");
    ASSERT_EQ(SavePageDesign(*form, path, 0), 0);

    // Collapse everything, then load and show the layout on page 0 again.
    for (const char* name : {"Group_Version", "Group_Status", "Group_ActivePower"})
        P(name)->SetBounds(0, 0, 300, 40);
    P("Group_Debug")->SetBounds(7, 7, 300, 490);   // no layout section: keeps its height
    ASSERT_EQ(LoadPageDesign(*form, path), 0);
    PlaceExpandedPanels(*form, 0);

    EXPECT_EQ(P("Group_Version")->Height(), 350);
    EXPECT_EQ(P("Group_Version")->Left(), 3);
    EXPECT_EQ(P("Group_Status")->Left(), 310);
    EXPECT_EQ(P("Group_ActivePower")->Height(), 40);
    for (const char* name : {"Group_Version", "Group_Status", "Group_Debug"}) {
        EXPECT_EQ(P(name)->Parent(), PageBox(*form, 0)) << name;
        EXPECT_TRUE(P(name)->Visible()) << name;
    }
    EXPECT_EQ(P("Group_Debug")->Left(), 7);
    EXPECT_FALSE(P("Group_ActivePower")->Visible());
    EXPECT_EQ(P("Group_ActivePower")->Parent(), PageBox(*form, 1));
}

TEST_F(PanelsOnForm, MissingLayoutLeavesThePanelsAndABadPageIsIgnored)
{
    P("Group_Version")->SetBounds(9, 9, 300, 350);
    P("Group_Version")->Show();
    EXPECT_EQ(LoadPageDesign(*form, Path("nothing.RQX")), 1);
    PlaceExpandedPanels(*form, 7);
    PlaceExpandedPanels(*form, -1);
    EXPECT_EQ(P("Group_Version")->Left(), 9);
    EXPECT_TRUE(P("Group_Version")->Visible());
    EXPECT_EQ(P("Group_Version")->Parent(), PageBox(*form, 1));
}

// Numbers at the ends of 32 bits in a layout file: every position and size is held to the page,
// and no arithmetic on them overflows (the sanitizer build reports one at once).
TEST_F(PanelsOnForm, ExtremeLayoutValuesAreHeldToThePage)
{
    const QString path = Path("MonitorSet0.RQX");
    const int versionOnPage = 350 + 10 * NameSum(u"Version");
    designtest::WriteAll(path, QStringLiteral("[Version]\nHeight=%1\nLeft=0x7FFFFFFF\nTop=2147483647\n"
                                              "[Status]\nHeight=-2147483648\nLeft=-2147483648\nTop=0x80000000\n"
                                              "[ActivePower]\nHeight=2147483647\nLeft=-1\nTop=-2147483647\n"
                                              )
                                   .arg(versionOnPage)
                                   .toUtf8());
    ASSERT_EQ(LoadPageDesign(*form, path), 0);
    PlaceExpandedPanels(*form, 0);
    for (const char* name : {"Group_Version", "Group_Status", "Group_ActivePower"}) {
        SCOPED_TRACE(name);
        const vcl::TControl* p = P(name);
        EXPECT_GE(p->Left(), -kPageExtent);
        EXPECT_LE(p->Left(), kPageExtent);
        EXPECT_GE(p->Top(), -kPageExtent);
        EXPECT_LE(p->Top(), kPageExtent);
        EXPECT_GE(p->Height(), -kPageExtent);
        EXPECT_LE(p->Height(), kPageExtent);
    }
    EXPECT_EQ(P("Group_Version")->Height(), 350) << "a panel on the page keeps its place on it";
    EXPECT_TRUE(P("Group_Version")->Visible());
    EXPECT_EQ(P("Group_Version")->Left(), kPageExtent);
    EXPECT_FALSE(P("Group_Status")->Visible());
    EXPECT_FALSE(P("Group_ActivePower")->Visible());
    // What the page holds is saved back as it stands.
    ASSERT_EQ(SavePageDesign(*form, path, 0), 0);
    PanelStates again = InitialPanelStates();
    ASSERT_EQ(LoadPageDesign(path, again), 0);
    EXPECT_EQ(again[GroupPanelIndex(u"Group_Version")].left, kPageExtent);
    EXPECT_EQ(again[GroupPanelIndex(u"Group_Version")].height, 350);
}

TEST_F(PanelsOnForm, PollRowsAndTitlesGoBetweenFileAndControls)
{
    auto* addr = new vcl::TEdit(form.get());
    addr->SetName("Edit_PollAddr010");
    auto* type = new vcl::TComboBox(form.get());
    type->SetName("Combo_PollType010");
    for (const char* item : {"Coil", "IR", "HR"})
        type->Items()->Add(item);
    auto* value = new vcl::TEdit(form.get());
    value->SetName("Edit_PollVal310");
    auto* title = new vcl::TLabel(form.get());
    title->SetName("Label_TemperTitle24");
    title->SetCaption("T_AMB");

    const QString path = Path("MonitorSet.RQX");
    designtest::WriteAll(path, "[Temperature]\nLabe24=Heat sink\n[Poll01]\nAddr010=40001\nType010=2\n[Poll04]\nValue310=-1\n");
    ModeSettings s;
    ASSERT_EQ(LoadMonitorSet(path, s), 0);
    ApplyPollsAndTitles(*form, s);
    EXPECT_EQ(addr->Text(), "40001");
    EXPECT_EQ(type->ItemIndex(), 2);
    EXPECT_EQ(value->Text(), "-1");
    EXPECT_EQ(title->Caption(), "Heat sink");

    addr->SetText("40100");
    type->SetItemIndex(-1);
    ModeSettings back;
    CollectPollsAndTitles(*form, back);
    ASSERT_EQ(SaveMonitorSet(path, back, 1), 0);
    const QByteArray text = designtest::ReadAll(path);
    EXPECT_TRUE(text.contains("Addr010=40100\n"));
    EXPECT_TRUE(text.contains("Type010=-1\n"));
    EXPECT_TRUE(text.contains("Labe24=Heat sink\n"));
    EXPECT_EQ(TemperatureTitleName(0), "Label_TemperTitle11");
    EXPECT_EQ(PollControlName("Combo_PollType", 3, 10), "Combo_PollType310");
}

TEST_F(PanelsOnForm, AccessCodeIsAskedOnlyWhenNoCodeIsRemembered)
{
    struct Case { bool super; const char* remembered; const char* answer; int result; const char* after; bool asked; };
    const Case cases[] = {
        {true, "", nullptr, 1, "", false},
        {false, "7352", nullptr, 1, "7352", false},
        {false, "", "2059", 1, "2059", true},
        {false, "1234", "4780", 1, "4780", true},
        {false, "", "1234", 0, "1234", true},
        {false, "", "Password", 0, "Password", true},
        {false, "", nullptr, 0, "Cancel", true},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        dialogs.prompts.clear();
        if (c.answer)
            dialogs.answers = QStringList{c.answer};
        QString remembered = c.remembered;
        EXPECT_EQ(CheckServicePassword(c.super, remembered), c.result) << c.remembered << c.answer;
        EXPECT_EQ(remembered, c.after);
        EXPECT_EQ(dialogs.prompts, c.asked ? QStringList{"Input Password Please||Password"} : QStringList());
        EXPECT_EQ(dialogs.shown, c.result ? QStringList() : QStringList{"Password Error"});
    }
}

TEST_F(PanelsOnForm, PageLeftIsSavedOnlyInTheSuperUserMode)
{
    const QString program = dir.path();
    const QString file = SuperUserLayoutPath(program, 1);
    designtest::WriteAll(file, "[Version]\nHeight=40\n");
    P("Group_Status")->SetBounds(20, 30, 300, 230);   // stands on page 1
    PageBox(*form, 1)->SetBounds(0, 0, 200, 200);      // small, so that it can scroll
    P("Group_Status")->Show();
    form->SetBounds(0, 0, 1000, 800);
    form->Show();
    vcl::ProcessMessages();
    PageBox(*form, 1)->ScrollTo(0, 50);
    ASSERT_EQ(PageBox(*form, 1)->VertScrollPosition(), 50);

    EXPECT_EQ(SaveCurrentPageDesign(*form, program, true, false, 1), 0);
    EXPECT_EQ(designtest::ReadAll(file), QByteArray("[Version]\nHeight=40\n"));
    EXPECT_EQ(PageBox(*form, 1)->VertScrollPosition(), 0);
    EXPECT_EQ(SaveCurrentPageDesign(*form, program, false, true, 1), 0);   // no mode
    EXPECT_EQ(SaveCurrentPageDesign(*form, program, true, true, -1), 0);   // no page yet
    EXPECT_EQ(designtest::ReadAll(file), QByteArray("[Version]\nHeight=40\n"));

    EXPECT_EQ(SaveCurrentPageDesign(*form, program, true, true, 1), 0);
    EXPECT_TRUE(designtest::ReadAll(file).contains("[Status]\nHeight=6670\nTop=30\nLeft=20\n"));
    EXPECT_TRUE(dialogs.shown.isEmpty());

    EXPECT_EQ(SaveCurrentPageDesign(*form, program, true, true, 2), 0);    // SuperHero file missing
    EXPECT_EQ(dialogs.shown, QStringList{"No found Setting File"});
    EXPECT_FALSE(QFile::exists(SuperUserLayoutPath(program, 2)));
}

TEST_F(PanelsOnForm, MissingLayoutOnShowIsReported)
{
    P("Group_Status")->SetBounds(20, 30, 300, 230);
    P("Group_Status")->Show();
    // A tab without a page box (the upgrade tab) takes no layout and reports nothing.
    EXPECT_EQ(ShowPageDesign(*form, Path("MonitorSet0.RQX"), 7), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(ShowPageDesign(*form, Path("MonitorSet0.RQX"), 0), 0);
    EXPECT_EQ(dialogs.shown, QStringList{"No Found Setting File2"});
    EXPECT_EQ(P("Group_Status")->Parent(), PageBox(*form, 1));
    EXPECT_TRUE(P("Group_Status")->Visible());
}

} // namespace
