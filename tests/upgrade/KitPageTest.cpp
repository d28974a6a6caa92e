// The load half of the upgrade page on real kit widgets (offscreen).
#include "FwTestUtil.h"

#include "upgrade/UpgradeKitView.h"
#include "upgrade/UpgradePage.h"

#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "vcl/StringGrid.h"
#include "vcl/UserDriver.h"

#include "support/QtApp.h"
#include <QTableView>

#include <gtest/gtest.h>

using namespace fwtest;

namespace {

void EnsureApp()
{
    testsupport::EnsureApplication();
}

class RichPane : public LogPane {
public:
    explicit RichPane(vcl::TRichEdit& edit) : edit_(edit) {}
    int LineCount() const override { return edit_.Lines()->Count(); }
    void Clear() override { edit_.Clear(); }
    void AddLine(const QString& text, LogColour colour) override
    {
        edit_.AddLine(text, colour == LogColour::Red ? vcl::clRed : edit_.SelAttributes()->Color());
    }
    void ScrollToEnd() override { edit_.ScrollToEnd(); }

private:
    vcl::TRichEdit& edit_;
};

struct KitPage {
    vcl::TForm form;
    vcl::TEdit* path;
    vcl::TStringGrid* grid;
    vcl::TButton* start;
    vcl::TRichEdit* upgradeEvents;
    vcl::TRichEdit* events;
    std::unique_ptr<RichPane> upgradePane, eventPane;
    std::unique_ptr<KitUpgradeView> view;
    upgradeTool tool;
    RecordingDialogs dialogs;
    std::unique_ptr<UpgradePage> page;

    KitPage()
    {
        path = new vcl::TEdit(&form);
        path->SetName("Edit_HEXPath");
        grid = new vcl::TStringGrid(&form);
        grid->SetName("Grid_HEX");
        grid->SetDefaultColWidth(25);
        start = new vcl::TButton(&form);
        start->SetName("Btn_UpgradeStart");
        start->SetEnabled(false);
        for (const QString& name : MetaControlNames()) {
            if (name == QLatin1String("Combo_Delay")) {
                auto* combo = new vcl::TComboBox(&form);
                combo->SetName(name);
                for (const char* item : {"100", "150", "200", "250", "300"})
                    combo->Items()->Add(item);
                combo->SetParent(&form);
                continue;
            }
            auto* label = new vcl::TLabel(&form);
            label->SetName(name);
            label->SetCaption("??");
            label->SetParent(&form);
        }
        upgradeEvents = new vcl::TRichEdit(&form);
        events = new vcl::TRichEdit(&form);
        for (vcl::TControl* c : std::initializer_list<vcl::TControl*>{path, grid, start, upgradeEvents, events})
            c->SetParent(&form);
        upgradePane = std::make_unique<RichPane>(*upgradeEvents);
        eventPane = std::make_unique<RichPane>(*events);
        view = std::make_unique<KitUpgradeView>(*path, *grid, *start, form, *upgradePane, *eventPane);
        page = std::make_unique<UpgradePage>(tool, *view);
        page->LinkOpen = [] { return true; };
        page->LinkType = [] { return int(UpgradePage::LinkWifi); };
    }
    QString Label(const char* name) const
    {
        auto* c = dynamic_cast<vcl::TControl*>(form.FindComponent(name));
        return c ? c->Text() : QStringLiteral("<missing>");
    }
};

} // namespace

TEST(KitPage, LoadsAnImageIntoTheWidgets)
{
    EnsureApp();
    KitPage p;
    p.form.Show();
    p.path->SetText(DataFile("gaps.hex"));
    p.page->LoadUpgradeFile();
    EXPECT_TRUE(p.start->Enabled());
    EXPECT_EQ(p.grid->RowCount(), 82);
    EXPECT_EQ(p.grid->ColCount(), 35);
    EXPECT_EQ(p.grid->ColWidths(0), 40);
    // The address column fits its eight digits in the grid's font (never the nominal 60 alone).
    EXPECT_GT(p.grid->ColWidths(1), p.grid->Handle()->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    EXPECT_GE(p.grid->ColWidths(1), 60);
    EXPECT_EQ(p.grid->ColWidths(5), 25);
    EXPECT_EQ(p.grid->Cells(1, 0), QStringLiteral("Address"));
    EXPECT_EQ(p.grid->Cells(2, 0), QStringLiteral("1"));
    EXPECT_EQ(p.grid->Cells(1, 1), QStringLiteral("00001000"));
    EXPECT_EQ(p.grid->Cells(0, 1), QStringLiteral("1"));
    EXPECT_TRUE(p.grid->Cells(0, 17).isEmpty()); // a skipped row
    EXPECT_EQ(p.Label("L_STARTADDR"), QStringLiteral("0x00001000"));
    EXPECT_EQ(p.Label("L_PROGRAMSIZE"), QStringLiteral("0"));
    EXPECT_EQ(p.Label("Combo_Delay"), QStringLiteral("100"));
    EXPECT_EQ(p.events->Lines()->Count(), 14);
    EXPECT_EQ(p.upgradeEvents->Lines()->Strings(0), QStringLiteral("Hex Length: 2560(0x10) / 1472(0x20)"));
    // The view draws from the store.
    auto* table = static_cast<QTableView*>(p.grid->Handle());
    EXPECT_EQ(table->model()->rowCount(), 82);
    EXPECT_EQ(table->model()->index(1, 1).data().toString(), QStringLiteral("00001000"));
    vcl::ProcessMessages();

    // A longer image, then a shorter one: nothing of the first stays in the grid, also outside
    // the counts.
    p.path->SetText(DataFile("segment16.hex"));
    p.page->LoadUpgradeFile();
    ASSERT_EQ(p.grid->RowCount(), 130);
    p.path->SetText(DataFile("linear16_lf.hex"));
    p.page->LoadUpgradeFile();
    EXPECT_EQ(p.grid->RowCount(), 34);
    EXPECT_TRUE(p.grid->Cells(1, 100).isEmpty());
    EXPECT_TRUE(p.grid->Cells(2, 100).isEmpty());

    // A failed load: its box, the labels and grid emptied, the start disabled.
    p.path->SetText(DataFile("no_meta.hex"));
    p.page->LoadUpgradeFile();
    EXPECT_FALSE(p.start->Enabled());
    EXPECT_EQ(p.dialogs.messages, (QStringList{"No Meta Block", "Error - Load Hex File"}));
    EXPECT_TRUE(p.Label("L_STARTADDR").isEmpty());
    EXPECT_TRUE(p.grid->Cells(1, 1).isEmpty());
    EXPECT_EQ(p.tool.FileInfo.Length10, 0);
}

TEST(KitPage, DroppedAndChosenFiles)
{
    EnsureApp();
    KitPage p;
    EXPECT_FALSE(p.page->DropFiles({DataFile("image_1000.bin")}));
    EXPECT_FALSE(p.start->Enabled());
    EXPECT_TRUE(p.page->DropFiles({DataFile("linear32_crlf.hex")}));
    EXPECT_EQ(p.path->Text(), DataFile("linear32_crlf.hex"));
    EXPECT_TRUE(p.start->Enabled());

    // Dropped on the window as a user drops them, the first file only.
    p.form.OnDropFiles = [&](vcl::TObject*, const QStringList& files) { p.page->DropFiles(files); };
    vcl::UserDriver user(&p.form);
    user.Drop({DataFile("segment16.hex"), DataFile("linear16_lf.hex")});
    EXPECT_EQ(p.path->Text(), DataFile("segment16.hex"));
    EXPECT_EQ(p.grid->RowCount(), 130);

    p.dialogs.openAnswers << DataFile("image_1000.bin");
    p.page->Btn_LoadHEXClick();
    EXPECT_TRUE(p.start->Enabled());
    EXPECT_EQ(p.grid->RowCount(), 8);
    EXPECT_EQ(p.grid->ColCount(), 130);
    EXPECT_TRUE(p.page->ImageIsBin());
    p.page->Btn_LoadHEXClick(); // cancelled
    EXPECT_FALSE(p.start->Enabled());
}
