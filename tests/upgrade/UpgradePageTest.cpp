// The load half of the upgrade page, on the window stand-in.
#include "FwTestUtil.h"

#include "upgrade/UpgradePage.h"

#include <gtest/gtest.h>

using namespace fwtest;

namespace {
struct Page {
    TestView view;
    upgradeTool tool;
    RecordingDialogs dialogs;
    UpgradePage page{tool, view};
    bool linkOpen = true;
    int linkType = UpgradePage::LinkRs485;
    QStringList calls;
    Page()
    {
        page.LinkOpen = [this] { return linkOpen; };
        page.LinkType = [this] { return linkType; };
        page.RescanIds = [this] { calls << "rescan"; };
        page.BeforeHexLoad = [this] { calls << "before"; };
        page.AfterHexLoad = [this] { calls << "after"; };
    }
};
} // namespace

TEST(UpgradePage, LoadsByExtensionAndLink)
{
    {
        Page p;
        p.view.path = DataFile("linear16_lf.hex");
        p.page.LoadUpgradeFile();
        EXPECT_TRUE(p.view.start);
        EXPECT_EQ(p.calls, (QStringList{"before", "after"}));
        EXPECT_FALSE(p.page.ImageIsBin());
        EXPECT_EQ(p.view.grid.RowCount(), 34);
    }
    {
        Page p;
        p.linkType = UpgradePage::LinkWifi;
        p.view.path = DataFile("linear16_lf.hex");
        p.page.LoadUpgradeFile();
        EXPECT_TRUE(p.view.start);
        EXPECT_TRUE(p.calls.isEmpty());
    }
    {
        // The radio link reads no file, yet the start is enabled.
        Page p;
        p.linkType = UpgradePage::LinkRadio;
        p.view.path = DataFile("no_such_file.hex");
        p.page.LoadUpgradeFile();
        EXPECT_TRUE(p.view.start);
        EXPECT_TRUE(p.dialogs.messages.isEmpty());
    }
    {
        Page p;
        p.view.path = DataFile("image_1000.bin");
        p.page.LoadUpgradeFile();
        EXPECT_TRUE(p.view.start);
        EXPECT_TRUE(p.page.ImageIsBin());
        EXPECT_TRUE(p.calls.isEmpty()); // no survey for a BIN image
    }
}

TEST(UpgradePage, FailedLoadsShowTheirBoxAndDisableTheStart)
{
    struct Case {
        const char* file;
        int link;
        QStringList messages;
    };
    const Case cases[] = {
        {"bad_checksum.hex", UpgradePage::LinkRs485, {"Error - Load Hex File"}},
        {"no_meta.hex", UpgradePage::LinkWifi, {"No Meta Block", "Error - Load Hex File"}},
        {"processor10.hex", UpgradePage::LinkRs485, {"Error - Load Hex File"}},
        {"no_meta.bin", UpgradePage::LinkRs485, {"No Meta Block", "Error - Load BIN File"}},
        {"missing.bin", UpgradePage::LinkWifi, {"Error - Load BIN File"}},
        {"missing.hex", UpgradePage::LinkWifi, {"Error - Load Hex File"}},
    };
    for (const Case& c : cases) {
        Page p;
        p.linkType = c.link;
        p.view.path = DataFile("linear16_lf.hex");
        p.page.LoadUpgradeFile();
        ASSERT_TRUE(p.view.start);
        p.calls.clear();
        p.view.path = DataFile(c.file);
        p.page.LoadUpgradeFile();
        EXPECT_FALSE(p.view.start) << c.file;
        EXPECT_EQ(p.dialogs.messages, c.messages) << c.file;
        EXPECT_EQ(p.tool.FileInfo.Length20, 0) << c.file;
        EXPECT_FALSE(p.calls.contains("after")) << c.file;
    }
}

TEST(UpgradePage, NoLinkNoLoad)
{
    Page p;
    p.linkOpen = false;
    p.view.path = DataFile("linear16_lf.hex");
    p.page.LoadUpgradeFile();
    EXPECT_EQ(p.dialogs.messages, QStringList{"Please Connect to Inverters first"});
    EXPECT_FALSE(p.view.start);
    EXPECT_EQ(p.view.grid.Cell(1, 1), QString());
}

TEST(UpgradePage, DialogAndDrop)
{
    Page p;
    // A cancelled dialog disables the start even with an image loaded.
    p.view.path = DataFile("linear16_lf.hex");
    p.page.LoadUpgradeFile();
    ASSERT_TRUE(p.view.start);
    p.page.Btn_LoadHEXClick();
    EXPECT_FALSE(p.view.start);
    EXPECT_EQ(p.dialogs.openFilters, QStringList{"*.hex;*.bin (*.hex *.bin *.HEX *.BIN)"});

    p.calls.clear();
    p.dialogs.openAnswers << DataFile("segment16.hex");
    p.page.Btn_LoadHEXClick();
    EXPECT_EQ(p.view.path, DataFile("segment16.hex"));
    EXPECT_EQ(p.calls, (QStringList{"rescan", "before", "after"}));
    EXPECT_TRUE(p.view.start);

    // Drops: names ending in "hex" in any case, the first file only, no rescan.
    EXPECT_TRUE(UpgradePage::AcceptsDroppedName("FW.HEX"));
    EXPECT_TRUE(UpgradePage::AcceptsDroppedName("fw.Hex"));
    EXPECT_TRUE(UpgradePage::AcceptsDroppedName("firmwarehex"));
    EXPECT_FALSE(UpgradePage::AcceptsDroppedName("notes.txt"));
    EXPECT_FALSE(UpgradePage::AcceptsDroppedName("image.bin"));
    EXPECT_FALSE(UpgradePage::AcceptsDroppedName("ex"));
    p.calls.clear();
    EXPECT_FALSE(p.page.DropFiles({"notes.txt", DataFile("linear16_lf.hex")}));
    EXPECT_EQ(p.view.path, DataFile("segment16.hex"));
    EXPECT_TRUE(p.page.DropFiles({DataFile("linear16_lf.hex"), "notes.txt", "x.hex"}));
    EXPECT_EQ(p.view.path, DataFile("linear16_lf.hex"));
    EXPECT_EQ(p.calls, (QStringList{"before", "after"}));

    // Only ".BIN" and ".bin" are BIN images.
    EXPECT_TRUE(UpgradePage::IsBinName("a.BIN"));
    EXPECT_TRUE(UpgradePage::IsBinName("a.b.bin"));
    EXPECT_FALSE(UpgradePage::IsBinName("a.Bin"));
    EXPECT_FALSE(UpgradePage::IsBinName("bin"));
}

TEST(UpgradePage, ALoadInsideALoadIsRefused)
{
    Page p;
    int nested = 0;
    p.page.BeforeHexLoad = [&] {
        // a drop or a click handled while the survey pumps messages
        EXPECT_TRUE(p.page.Busy());
        p.page.DropFiles({DataFile("segment16.hex")});
        p.page.Btn_LoadHEXClick();
        ++nested;
    };
    p.dialogs.openAnswers << DataFile("segment16.hex");
    p.view.path = DataFile("linear16_lf.hex");
    p.page.LoadUpgradeFile();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(p.view.path, DataFile("linear16_lf.hex"));
    EXPECT_EQ(p.dialogs.openAnswers.size(), 1); // the dialog never opened
    EXPECT_TRUE(p.view.start);
    EXPECT_FALSE(p.page.Busy());
}
