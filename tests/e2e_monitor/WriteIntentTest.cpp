// Writes only the engineer meant, on the real program driven through its remote user driver
// against the simulated demonstration inverter: the mouse wheel over a chooser scrolls the page
// and writes nothing; values and entries use the inverter's own scale factors from the first
// cycle on, whichever panels the mode shows; a click whose command never runs gives back what
// it took; the header's buttons ask for a link first.
#include "MonitorFixture.h"

#include "support/ProgramFolder.h"
#include "support/RemoteProgram.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

using namespace monitortest;

const QString kRed = "0x0000FF";

QStringList Dialogs(testsupport::RemoteProgram& run)
{
    QStringList items;
    for (const auto& v : run.Ask("dialogs")["items"].toArray())
        items << v.toString();
    return items;
}

// The writes (function 5, 6 or 16) on the inverter's frame log, but those that are part of a
// reader's read: the page select of register 800 or 801 and the unlock of register 832. The
// STX requests of a reader (0x02 ... 0x03) are no Modbus frames.
QStringList WriteFrames(const invsim::Bus& bus)
{
    QStringList writes;
    for (const auto& f : bus.Frames()) {
        if (f.bytes.size() < 6 || (f.bytes[1] != 5 && f.bytes[1] != 6 && f.bytes[1] != 16))
            continue;
        if (f.bytes.size() == 9 && f.bytes[0] == 0x02 && f.bytes[8] == 0x03)
            continue;
        const int reg = (f.bytes[2] << 8 | f.bytes[3]) + 1;
        if (reg != 800 && reg != 801 && reg != 832)
            writes << QStringLiteral("%1 := %2").arg(reg).arg(f.bytes[4] << 8 | f.bytes[5]);
    }
    return writes;
}

// The scroll box (page) that holds a control.
QString PageOf(testsupport::RemoteProgram& run, const QString& name)
{
    QString at = name;
    for (int depth = 0; depth < 10 && !at.isEmpty(); ++depth) {
        if (at.startsWith("Scroll_Page"))
            return at;
        at = run.Ask("get " + at)["parent"].toString();
    }
    return QString();
}

void OpenMode(testsupport::RemoteProgram& run, const invsim::Bus& bus, const QString& mode)
{
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode " + mode));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    ASSERT_TRUE(run.Do("click OpenPort"));
}

// One notch of the wheel over each chooser (a combo box or a radio button): no frame is
// written, the choice stays and the page scrolls.
void WheelOverChoosers(testsupport::RemoteProgram& run, const invsim::Bus& bus, const QStringList& combos)
{
    for (const QString& combo : combos) {
        SCOPED_TRACE(combo.toStdString());
        const QString page = PageOf(run, combo);
        ASSERT_FALSE(page.isEmpty());
        const QJsonObject state = run.Ask("get " + combo);
        const QJsonValue before = state.contains("index") ? state["index"] : state["checked"];
        ASSERT_FALSE(before.isUndefined());
        const QStringList writes = WriteFrames(bus);
        run.Ask("dialogs");
        // The page from its top scrolled down (by the wheel over the page) until the box is on
        // the screen; then a notch over the box up (or down at the top of the page) scrolls the
        // page that way.
        for (int tries = 0; tries < 60; ++tries) {
            const int scroll = run.Ask("get " + page)["scroll"].toInt();
            if (scroll == 0)
                break;
            ASSERT_TRUE(run.Do("wheel " + page + " -1"));
            ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get " + page)["scroll"].toInt() != scroll; }, 5000));
        }
        ASSERT_EQ(run.Ask("get " + page)["scroll"].toInt(), 0);
        QJsonObject reply;
        for (int tries = 0; tries < 60; ++tries) {
            const int scroll = run.Ask("get " + page)["scroll"].toInt();
            reply = run.Ask(QStringLiteral("wheel %1 %2").arg(combo).arg(scroll > 0 ? -1 : 1));
            if (reply["ok"].toBool()) {
                EXPECT_TRUE(run.WaitFor([&] { return run.Ask("get " + page)["scroll"].toInt() != scroll; }, 5000))
                    << "the page did not scroll";
                break;
            }
            ASSERT_TRUE(reply["error"].toString().contains("not on the screen")) << reply["error"].toString().toStdString();
            ASSERT_TRUE(run.Do("wheel " + page + " 1"));
            ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get " + page)["scroll"].toInt() != scroll; }, 5000));
        }
        ASSERT_TRUE(reply["ok"].toBool()) << reply["error"].toString().toStdString();
        // Further cycles of the loop: a posted write would have gone out.
        const size_t frames = bus.Frames().size();
        ASSERT_TRUE(run.WaitFor([&] { return bus.Frames().size() > frames + 40; }, 15000));
        EXPECT_EQ(WriteFrames(bus).join(", ").toStdString(), writes.join(", ").toStdString());
        const QJsonObject after = run.Ask("get " + combo);
        EXPECT_EQ(after.contains("index") ? after["index"] : after["checked"], before);
        const QStringList shown = Dialogs(run);
        EXPECT_TRUE(shown.isEmpty()) << shown.join(" | ").toStdString();
    }
}

TEST_F(RemoteMonitor, TheWheelOverAChooserScrollsThePageAndWritesNothing)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    // The service page with the country and the calibration box.
    ASSERT_TRUE(run.Do("answer 2059"));
    OpenMode(run, bus, "Monitor");
    ASSERT_TRUE(run.Do("tab PageControl 1"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_Country") == "Germany LV"; }, 15000));
    WheelOverChoosers(run, bus, {"Combo_Country", "Combo_GainIndex"});

    // The reactive power page with the fixed cos(φ) mode box, and the relay chooser.
    ASSERT_TRUE(run.Do("tab PageControl 2"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Combo_ReactiveMode")["visible"].toBool(); }, 15000));
    WheelOverChoosers(run, bus, {"Combo_ReactiveMode"});
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

// The word the next entry of 0.95 into the fixed cos(φ) writes: its side as the chooser shows.
int FixCosWord(testsupport::RemoteProgram& run, const invsim::Bus& bus)
{
    const QStringList before = WriteFrames(bus);
    if (!run.Do("enter Edit_FixCos 0.95"))
        return -1;
    QString write;
    run.WaitFor([&] {
        const QStringList now = WriteFrames(bus);
        for (int k = before.size(); k < now.size(); ++k)
            if (now[k].startsWith("33617 := "))
                write = now[k];
        return !write.isEmpty();
    }, 15000);
    return write.isEmpty() ? -1 : write.mid(9).toInt();
}

// An Ind/Cap chooser never clicked keeps its side under the wheel (the page scrolls); once
// clicked, the wheel scrolls it to the other side, and the next entry takes that side.
TEST_F(RemoteMonitor, AnIndCapChooserTakesTheWheelOnlyAfterAClick)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("answer 2059"));
    OpenMode(run, bus, "Monitor");
    ASSERT_TRUE(run.Do("tab PageControl 1"));
    ASSERT_TRUE(run.Do("tab PageControl 2"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_FixCos") != "??"; }, 15000));
    ASSERT_EQ(run.Ask("get List_CosRange")["top"].toInt(), 0);

    WheelOverChoosers(run, bus, {"List_CosRange"});
    EXPECT_EQ(run.Ask("get List_CosRange")["top"].toInt(), 0);
    // "Ind" still in view: the value goes with the mode's sign for "Ind".
    const int ind = FixCosWord(run, bus);
    EXPECT_TRUE(ind == 95 || ind == 65536 - 95) << ind;

    ASSERT_TRUE(run.Do("click List_CosRange"));
    const int scroll = run.Ask("get " + PageOf(run, "List_CosRange"))["scroll"].toInt();
    ASSERT_TRUE(run.Do("wheel List_CosRange 1"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get List_CosRange")["top"].toInt() == 1; }, 5000));
    EXPECT_EQ(run.Ask("get " + PageOf(run, "List_CosRange"))["scroll"].toInt(), scroll) << "the page scrolled too";
    EXPECT_EQ(FixCosWord(run, bus), 65536 - ind) << "the other side";
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

TEST_F(RemoteMonitor, TheWheelOverTheRelayChoosersScrollsThePageAndWritesNothing)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    // The multi-function relay's function and power-production boxes.
    OpenMode(run, bus, "SuperHero");
    ASSERT_TRUE(run.Do("tab PageControl 5"));
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_MultiRelay1") != "??"; }, 15000));
    WheelOverChoosers(run, bus, {"Combo_MultiRelay1", "Combo_PowerPro1"});
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

TEST_F(RemoteMonitor, TheWheelOverTheJapaneseRelayRadiosScrollsThePageAndWritesNothing)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    // The protection relays' switches of the Japanese setting page, on and off.
    ASSERT_TRUE(run.Do("answer 4780"));
    OpenMode(run, bus, "Japan");
    ASSERT_TRUE(run.Do("tab PageControl 1"));
    ASSERT_TRUE(run.WaitFor([&] { return run.Ask("get Radio_JapanAntiActiveON")["checked"].toBool(); }, 15000));
    WheelOverChoosers(run, bus, {"Radio_JapanL1L2OVROFF", "Radio_JapanAntiActiveOFF", "Radio_JapanAntiActiveON"});
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

// A copy of the grid-tied mode whose main page keeps its status panel but has no version panel.
bool MakeStatusOnlyMode(const QString& home)
{
    if (!CopyTree(home + "/GridTied", home + "/StatusOnly"))
        return false;
    const QString page = home + "/StatusOnly/MonitorSet0.RQX";
    return ReplaceInFile(page, "[Version]\r\nHeight=7770", "[Version]\r\nHeight=40") ||
           ReplaceInFile(page, "[Version]\nHeight=7770", "[Version]\nHeight=40");
}

TEST_F(RemoteMonitor, ScaleFactorsAreReadWithoutTheVersionPanel)
{
    ASSERT_TRUE(MakeStatusOnlyMode(home.path()));
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    OpenMode(run, bus, "StatusOnly");
    ASSERT_FALSE(run.Ask("get Group_Version")["visible"].toBool());
    // The demonstration inverter counts its power in 10 W: 500 shows as 5,000 W.
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_MaxPower") != "??"; }, 15000));
    EXPECT_EQ(run.TextOf("Label_MaxPower"), "5,000 W");
    EXPECT_EQ(bus.Holding(1, 33595), 500);

    // 5000 W typed in goes out in the inverter's unit.
    bus.SetHolding(1, 33595, 400);
    ASSERT_TRUE(run.Do("answer 4780"));
    ASSERT_TRUE(run.Do("enter Edit_MaxPower 5000"));
    ASSERT_TRUE(run.WaitFor([&] { return bus.Holding(1, 33595) != 400; }, 15000));
    EXPECT_EQ(bus.Holding(1, 33595), 500);
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

TEST_F(RemoteMonitor, TheJapanModesMainPageShowsTheInvertersVoltages)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    OpenMode(run, bus, "Japan");
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_MaxPower") != "??"; }, 15000));
    EXPECT_EQ(run.TextOf("Label_MaxPower"), "5,000 W");
    // Grid and DC voltages as the inverter has them, none scaled ten times.
    ASSERT_TRUE(run.WaitFor([&] { return run.TextOf("Label_VacR_Grid") != "??"; }, 15000));
    EXPECT_TRUE(QRegularExpression(R"(^2\d\d\.\d+ V$)").match(run.TextOf("Label_VacR_Grid")).hasMatch())
        << run.TextOf("Label_VacR_Grid").toStdString();
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

TEST_F(RemoteMonitor, ClicksWithNoLinkGiveBackWhatTheyTook)
{
    testsupport::RemoteProgram run(home.path(), runtime.path());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Do("pickt Combo_SelectMode Monitor"));
    ASSERT_TRUE(run.Do("mousedown Radio_ComRS485"));
    ASSERT_TRUE(run.Do("text Combo_COM " + QString::fromStdString(bus.Path())));
    run.Ask("dialogs");
    const QString captionColour = run.ColourOf("Label_SyncClock");

    // The header's buttons need a link; they say so and change nothing.
    for (const char* image : {"Image_SyncClock", "Image_VantoSun", "Image_SaveGridSet", "Image_OpenGridSet"}) {
        SCOPED_TRACE(image);
        if (!run.Ask(QStringLiteral("get %1").arg(image))["visible"].toBool())
            continue;
        ASSERT_TRUE(run.Do(QStringLiteral("click %1").arg(image)));
        QStringList shown;
        ASSERT_TRUE(run.WaitFor([&] { shown << Dialogs(run); return !shown.isEmpty(); }, 5000));
        EXPECT_EQ(shown, QStringList{"Please Connect to Inverters first"});
    }
    EXPECT_EQ(run.ColourOf("Label_SyncClock"), captionColour);
    EXPECT_NE(run.ColourOf("Label_InvProtocol"), kRed);

    // Energy Clone's Read with no link: the command is dropped when the link opens, and the
    // buttons come back within a cycle.
    // (Its page: the tab on which the button can be reached.)
    ASSERT_TRUE(run.Do("answer 7352"));
    bool reached = false;
    for (int tab = 1; tab < 8 && !reached; ++tab)
        reached = run.Do(QStringLiteral("tab PageControl %1").arg(tab)) && run.Do("move Btn_ReadEnergy 1 1");
    ASSERT_TRUE(reached);
    run.Ask("dialogs");
    ASSERT_TRUE(run.Do("click Btn_ReadEnergy"));
    ASSERT_TRUE(run.WaitFor([&] { return !run.EnabledOf("Btn_ReadEnergy"); }, 5000));
    ASSERT_TRUE(run.Do("click OpenPort"));
    EXPECT_TRUE(run.WaitFor([&] { return run.EnabledOf("Btn_ReadEnergy"); }, 15000));
    EXPECT_FALSE(run.EnabledOf("Btn_WriteEnergy"));   // nothing read yet to write

    // The captions stay as they were, never "??".
    ASSERT_TRUE(run.WaitFor([&] { return run.Status(4) == "COM Open" || !run.TextOf("Label_InvProtocol").isEmpty(); }, 15000));
    EXPECT_EQ(run.TextOf("Label_SyncClock"), "Sync Clock");
    EXPECT_EQ(run.ColourOf("Label_SyncClock"), captionColour);
    EXPECT_TRUE(run.Do("close"));
    EXPECT_TRUE(run.process.waitForFinished(15000));
}

} // namespace
