// The load half of the upgrade page, on the window stand-in.
#include "FwTestUtil.h"

#include "upgrade/UpgradePage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

const QString kCutShortQuestion =
    QStringLiteral("The file has no end record: it may be cut short. Load it anyway?");

// The first `lines` lines of a fixture, as a file in dir.
QString FirstLines(const QTemporaryDir& dir, const char* fixture, int lines, const QString& name)
{
    QFile in(DataFile(fixture));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> all = in.readAll().split('\n');
    QFile out(dir.filePath(name));
    if (!out.open(QIODevice::WriteOnly))
        return {};
    for (int i = 0; i < lines && i < all.size(); ++i)
        out.write(all[i] + '\n');
    return out.fileName();
}

// A fixture with one more line put in after line `after` (1-based).
QString WithLine(const QTemporaryDir& dir, const char* fixture, int after, const QByteArray& line, const QString& name)
{
    QFile in(DataFile(fixture));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> all = in.readAll().split('\n');
    all.insert(after, line);
    QFile out(dir.filePath(name));
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(all.join('\n'));
    return out.fileName();
}

} // namespace

// A file cut short at a line end has no end record. It loads only when the user says so after
// the warning; "No" leaves the image that was loaded before exactly as it was.
TEST(UpgradePage, AFileWithoutItsEndRecordLoadsOnlyAfterTheUserConfirms)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int lines : {20, 40, 60}) {
        SCOPED_TRACE(lines);
        const QString cut = FirstLines(dir, "linear32_crlf.hex", lines, QStringLiteral("cut%1.hex").arg(lines));
        ASSERT_FALSE(cut.isEmpty());
        Page p;
        p.view.path = DataFile("linear16_lf.hex");
        p.page.LoadUpgradeFile();
        ASSERT_TRUE(p.view.start);
        const HexInfo before = p.tool.FileInfo;
        const QString firstRow = p.view.grid.Cell(2, 1);
        const QStringList log = p.view.upgradeLog;
        p.calls.clear();
        p.dialogs.messages.clear();

        p.view.path = cut;
        p.page.LoadUpgradeFile();   // answered No
        EXPECT_EQ(p.dialogs.messages, QStringList{kCutShortQuestion});
        EXPECT_TRUE(p.calls.isEmpty());   // no survey, nothing cleared
        EXPECT_TRUE(p.view.start);
        EXPECT_EQ(p.view.path, DataFile("linear16_lf.hex"));
        EXPECT_EQ(p.tool.FileInfo.Length10, before.Length10);
        EXPECT_EQ(p.tool.FileInfo.Crc10, before.Crc10);
        EXPECT_EQ(p.view.grid.Cell(2, 1), firstRow);
        EXPECT_EQ(p.view.upgradeLog, log);

        p.dialogs.messages.clear();
        p.dialogs.yesNo << vcl::IDYES;
        p.view.path = cut;
        p.page.LoadUpgradeFile();
        EXPECT_EQ(p.dialogs.messages, QStringList{kCutShortQuestion});
        EXPECT_EQ(p.calls, (QStringList{"before", "after"}));
        EXPECT_TRUE(p.view.start);
        EXPECT_EQ(p.view.path, cut);
        EXPECT_GT(p.tool.FileInfo.Length10, 0);
        EXPECT_LT(p.tool.FileInfo.Length10, 2048);
        EXPECT_TRUE(p.view.upgradeLog.contains("Hex File Warning: no end record, the image may be cut short"))
            << p.view.upgradeLog.join(" | ").toStdString();
    }
    // The whole file asks nothing.
    Page p;
    p.view.path = DataFile("linear32_crlf.hex");
    p.page.LoadUpgradeFile();
    EXPECT_TRUE(p.dialogs.messages.isEmpty());
    EXPECT_TRUE(p.view.start);
}

// Two records that give one address different bytes leave the image in doubt: the load is refused
// with the address. A record repeated with the same bytes is harmless.
TEST(UpgradePage, RecordsThatDisagreeAboutAnAddressAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // linear16_lf.hex holds no 0xFF byte: 16 of them differ from every record.
    const QString conflict =
        WithLine(dir, "linear16_lf.hex", 40, Record(0, 0xFC40, std::vector<std::uint8_t>(16, 0xFF)), "conflict.hex");
    QFile original(DataFile("linear16_lf.hex"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray line5 = original.readAll().split('\n').at(4).trimmed();   // the record at 0x0001FC30
    const QString repeated = WithLine(dir, "linear16_lf.hex", 40, line5, "repeated.hex");
    // The first pair of records already disagrees.
    const QString firstPair = WithLine(dir, "linear16_lf.hex", 2, Record(0, 0xFC00, std::vector<std::uint8_t>(16, 0xFF)),
                                       "first_pair.hex");
    struct Case {
        QString file;
        QString why;   // empty: loads
    };
    const Case cases[] = {
        {conflict, "Hex Record Error: two records give address 0x0001FC40 different bytes"},
        {firstPair, "Hex Record Error: two records give address 0x0001FC00 different bytes"},
        {repeated, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        Page p;
        p.view.path = c.file;
        p.page.LoadUpgradeFile();
        if (c.why.isEmpty()) {
            EXPECT_TRUE(p.view.start) << p.view.upgradeLog.join(" | ").toStdString();
            EXPECT_TRUE(p.dialogs.messages.isEmpty());
            continue;
        }
        EXPECT_FALSE(p.view.start);
        EXPECT_EQ(p.dialogs.messages, (QStringList{c.why, "Error - Load Hex File"}));
        EXPECT_TRUE(p.view.upgradeLog.contains(c.why));
        EXPECT_EQ(p.tool.FileInfo.Length10, 0);
        EXPECT_EQ(p.view.grid.Cell(1, 1), QString());
    }
}

// A pipe or a device named like an image is refused at once: nothing waits for a writer that
// never comes. A watchdog opens the pipe's other end after a few seconds, so a load that blocks
// ends and fails the test instead of hanging it.
TEST(UpgradePage, OnlyRegularFilesAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString hexPipe = dir.filePath("pipe.hex");
    const QString binPipe = dir.filePath("pipe.bin");
    ASSERT_EQ(::mkfifo(hexPipe.toLocal8Bit().constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(binPipe.toLocal8Bit().constData(), 0600), 0);
    const QString device = dir.filePath("null.hex");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), device));
    struct Case {
        QString path;
        QStringList messages;
        QString line;
    };
    const Case cases[] = {
        {hexPipe, {"Error - Load Hex File"}, "Hex File Error: not a regular file"},
        {binPipe, {"Error - Load BIN File"}, "Bin File Error: not a regular file"},
        {device, {"Error - Load Hex File"}, "Hex File Error: not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        Page p;
        p.view.path = c.path;
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        std::thread watchdog([&] {
            std::unique_lock<std::mutex> lock(m);
            if (cv.wait_for(lock, std::chrono::seconds(3), [&] { return done; }))
                return;
            while (!done) {
                const int fd = ::open(c.path.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                cv.wait_for(lock, std::chrono::milliseconds(20), [&] { return done; });
            }
        });
        QElapsedTimer clock;
        clock.start();
        p.page.LoadUpgradeFile();
        const qint64 took = clock.elapsed();
        {
            std::lock_guard<std::mutex> lock(m);
            done = true;
        }
        cv.notify_all();
        watchdog.join();
        EXPECT_LT(took, 2000);
        EXPECT_EQ(p.dialogs.messages, c.messages);
        EXPECT_TRUE(p.view.upgradeLog.contains(c.line)) << p.view.upgradeLog.join(" | ").toStdString();
        EXPECT_FALSE(p.view.start);
    }
}

// The status bar's progress and block address belong to the run that wrote them: a new image
// starts with both empty.
TEST(UpgradePage, StatusBarStartsEmptyForEachImage)
{
    for (int link : {int(UpgradePage::LinkRs485), int(UpgradePage::LinkWifi)}) {
        Page p;
        p.linkType = link;
        p.view.status[8] = "Processing... 100%";
        p.view.status[9] = "Addr: 0x0001FFC0   Len: 64";
        p.view.path = DataFile("linear16_lf.hex");
        p.page.LoadUpgradeFile();
        EXPECT_TRUE(p.view.start);
        EXPECT_EQ(p.view.status.value(8), QString()) << link;
        EXPECT_EQ(p.view.status.value(9), QString()) << link;
    }
}
