// The page designer of the real program, driven from outside as a designer works: a panel
// placed from the popup menu, dragged by its title, another removed; the page switch writes the
// page's layout file; the next start shows the arrangement; an ordinary mode has no designer.
#include "design/GroupPanels.h"
#include "design/ModeState.h"
#include "support/ProgramFolder.h"
#include "support/QtApp.h"
#include "support/RemoteProgram.h"
#include "vcl/IniFile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using ProgramRun = testsupport::RemoteProgram;

class DesignerProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureCoreApplication();
        ASSERT_TRUE(testsupport::CopyProgramFolder(home.path()));
    }
    QString SocketPath() const { return runtime.path() + "/driver.sock"; }
    static void Close(ProgramRun& run)
    {
        EXPECT_TRUE(run.Do("close"));
        ASSERT_TRUE(run.process.waitForFinished(10000));
        EXPECT_EQ(run.process.exitCode(), 0);
    }
    QTemporaryDir home;
    QTemporaryDir runtime;
};

TEST_F(DesignerProgramTest, ArrangementIsSavedAtThePageSwitchAndShownAfterARestart)
{
    const QString layout = design::SuperUserLayoutPath(home.path(), 0);
    {
        ProgramRun run(home.path(), runtime.path(), SocketPath());
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.Do("pickt Combo_SelectMode SuperHero"));
        ASSERT_TRUE(run.Ask("get Group_Version")["visible"].toBool());
        ASSERT_FALSE(run.Ask("get Group_Poll02")["visible"].toBool());

        // Place: the mouse over the page, a right click, the item.
        EXPECT_TRUE(run.Do("move Scroll_Page1 500 200"));
        EXPECT_TRUE(run.Do("rightclick Scroll_Page1 500 200"));
        const QJsonObject placed = run.Ask("menu ScrollPopMenu Custom/Poll/Poll 02 (Unsigned)");
        EXPECT_TRUE(placed["ok"].toBool()) << placed["error"].toString().toStdString();
        QJsonObject poll = run.Ask("get Group_Poll02");
        EXPECT_TRUE(poll["visible"].toBool());
        EXPECT_EQ(poll["parent"].toString(), "Scroll_Page1");
        EXPECT_EQ(poll["left"].toInt(), 500);
        EXPECT_EQ(poll["top"].toInt(), 200);
        EXPECT_EQ(poll["height"].toInt(), poll["tag"].toInt());

        // Drag it by its title; remove another.
        EXPECT_TRUE(run.Do("drag Label_Poll02 -60 40"));
        poll = run.Ask("get Group_Poll02");
        EXPECT_EQ(poll["left"].toInt(), 440);
        EXPECT_EQ(poll["top"].toInt(), 240);
        EXPECT_TRUE(run.Do("dblclick Label_Version"));
        EXPECT_FALSE(run.Ask("get Group_Version")["visible"].toBool());

        // A wrong path or a malformed move is refused with a reason.
        const QJsonObject wrong = run.Ask("menu ScrollPopMenu Custom/Poll/Poll 09");
        EXPECT_FALSE(wrong["ok"].toBool());
        EXPECT_TRUE(wrong["error"].toString().contains("has no item")) << wrong["error"].toString().toStdString();
        EXPECT_FALSE(run.Do("move Scroll_Page1 five 3"));

        // The page switch writes the page in the layout encoding.
        EXPECT_TRUE(run.Do("tab PageControl 1"));
        EXPECT_EQ(run.Ask("get PageControl")["index"].toInt(), 1);
        EXPECT_TRUE(run.Ask("dialogs")["items"].toArray().isEmpty());
        const vcl::TIniFile saved(layout);
        EXPECT_EQ(saved.ReadInteger("Poll02", "Height", 0),
                  design::EncodePanelHeight(u"Poll02", poll["tag"].toInt(), poll["tag"].toInt(), true));
        EXPECT_EQ(saved.ReadInteger("Poll02", "Left", 0), 440);
        EXPECT_EQ(saved.ReadInteger("Poll02", "Top", 0), 240);
        EXPECT_EQ(saved.ReadInteger("Version", "Height", 0), design::kCollapsedHeight);
        Close(run);
    }
    {
        ProgramRun run(home.path(), runtime.path(), SocketPath());
        ASSERT_TRUE(run.Start());
        ASSERT_TRUE(run.Do("pickt Combo_SelectMode SuperHero"));
        const QJsonObject poll = run.Ask("get Group_Poll02");
        EXPECT_TRUE(poll["visible"].toBool());
        EXPECT_EQ(poll["parent"].toString(), "Scroll_Page1");
        EXPECT_EQ(poll["left"].toInt(), 440);
        EXPECT_EQ(poll["top"].toInt(), 240);
        EXPECT_FALSE(run.Ask("get Group_Version")["visible"].toBool());

        // An ordinary mode: the menu does not open, a title drag moves nothing.
        ASSERT_TRUE(run.Do("pickt Combo_SelectMode GridTied"));
        const QJsonObject refused = run.Ask("menu ScrollPopMenu Custom/Poll/Poll 02 (Unsigned)");
        EXPECT_FALSE(refused["ok"].toBool());
        const QJsonObject version = run.Ask("get Group_Version");
        ASSERT_TRUE(version["visible"].toBool()) << "the ordinary main page shows the version";
        EXPECT_TRUE(run.Do("drag Label_Version 80 80"));
        const QJsonObject after = run.Ask("get Group_Version");
        EXPECT_EQ(after["left"].toInt(), version["left"].toInt());
        EXPECT_EQ(after["top"].toInt(), version["top"].toInt());
        Close(run);
    }
}

} // namespace
