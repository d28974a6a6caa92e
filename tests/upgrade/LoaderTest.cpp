// Loading images that a standard tool wrote (see data/make_fixtures.py), and broken ones.
#include "FwTestUtil.h"

#include "upgrade/Upgrade.h"
#include "upgrade/UpgradePage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace fwtest;

namespace {

QMap<QString, QMap<QString, QString>> Expected()
{
    QMap<QString, QMap<QString, QString>> out;
    QFile f(DataFile("expected.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype sp = line.indexOf(' ');
        QMap<QString, QString> values;
        const QString rest = line.mid(sp + 1);
        if (rest.startsWith(QLatin1String("error="))) {
            values["error"] = rest.mid(6);
        } else {
            for (const QString& kv : rest.split(' ')) {
                const qsizetype eq = kv.indexOf('=');
                values[kv.left(eq)] = kv.mid(eq + 1);
            }
        }
        out[line.left(sp)] = values;
    }
    return out;
}

struct Loaded {
    int result = 1;
    TestView view;
    upgradeTool tool;
    RecordingDialogs dialogs;
};

void Load(Loaded& l, const QString& path, bool oldBoot = false)
{
    l.tool.View = &l.view;
    if (oldBoot) {
        l.tool.InvAddress[7] = 7;
        l.tool.InvBootVersion[7] = 2;
    }
    l.view.path = path;
    l.tool.ClearHexInfo();
    l.result = UpgradePage::IsBinName(path) ? l.tool.LoadBinFile() : l.tool.LoadHexFile();
}

} // namespace

TEST(Loader, ImagesFromAStandardToolLoadAsExpected)
{
    const auto expected = Expected();
    ASSERT_FALSE(expected.isEmpty());
    int good = 0;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (it.value().contains("error"))
            continue;
        ++good;
        const QString name = it.key().section(':', 0, 0);
        const bool oldBoot = it.key().endsWith(":v2");
        SCOPED_TRACE(it.key().toStdString());
        Loaded l;
        Load(l, DataFile(name.toLatin1().constData()), oldBoot);
        ASSERT_EQ(l.result, 0) << l.view.upgradeLog.join('\n').toStdString();
        const auto& e = it.value();
        const HexInfo& h = l.tool.FileInfo;
        const int rows = e["rows"].toInt();
        const bool bin = name.endsWith(".bin");
        EXPECT_EQ(l.view.grid.RowCount(), rows + (bin ? 1 : 2));
        EXPECT_EQ(l.view.grid.ColCount(), bin ? 130 : e["block"].toInt() + 3);
        if (!bin) {
            EXPECT_EQ(h.BlockSize, e["block"].toInt());
        }
        EXPECT_EQ(l.view.grid.Cell(1, 1), e["first"]);
        EXPECT_EQ(l.view.grid.Cell(1, rows), e["last"]);
        EXPECT_TRUE(l.view.grid.Cell(1, rows + 1).isEmpty());
        QStringList skipped;
        for (int r = 1; r <= rows; ++r)
            if (l.view.grid.Cell(0, r).isEmpty())
                skipped << QString::number(r);
        EXPECT_EQ(skipped.isEmpty() ? QStringLiteral("-") : skipped.join(','), e["skipped"]);
        EXPECT_EQ(h.Length10, e["len10"].toInt());
        EXPECT_EQ(h.Crc10, e["crc10"].toInt(nullptr, 16));
        EXPECT_EQ(h.Length20, e["len20"].toInt());
        EXPECT_EQ(h.Crc20, e["crc20"].toInt(nullptr, 16));
        // The report goes to the communication log, the lengths to the upgrade log.
        EXPECT_EQ(l.view.eventLog.size(), 14);
        EXPECT_TRUE(l.view.upgradeLog.last().startsWith(QLatin1String("Hex SUM CRC: 0x")));
        EXPECT_TRUE(l.dialogs.messages.isEmpty());
    }
    EXPECT_GE(good, 7);
}

TEST(Loader, FixtureMetaBlocksShowTheirValues)
{
    Loaded l;
    Load(l, DataFile("segment16.hex"));
    ASSERT_EQ(l.result, 0);
    EXPECT_EQ(l.view.texts["L_PROCESSOR"], QStringLiteral("9"));
    EXPECT_EQ(l.view.texts["L_BAUDRATE"], QStringLiteral("38400"));
    EXPECT_EQ(l.view.texts["L_FILLVALUE"], QStringLiteral("0x00"));
    EXPECT_EQ(l.view.texts["L_PROGRAMSIZE"], QStringLiteral("0"));
    EXPECT_EQ(l.view.texts["L_STARTADDR"], QStringLiteral("0x0000F800"));
    EXPECT_EQ(l.view.texts["L_HVERSION"], QStringLiteral("1.02"));
    EXPECT_EQ(l.view.texts["Combo_Delay"], QStringLiteral("100"));
    EXPECT_EQ(l.view.eventLog[1], QStringLiteral("MetaBlock Version: 2.03"));

    Loaded b;
    Load(b, DataFile("image_1000.bin"));
    ASSERT_EQ(b.result, 0);
    EXPECT_EQ(b.view.texts["L_STOPADDR"], QStringLiteral("0xF0000000"));
    EXPECT_EQ(b.view.texts["L_PROGRAMSIZE"], QStringLiteral("128"));
    EXPECT_EQ(b.view.upgradeLog, (QStringList{QStringLiteral("Hex Length: 896(0x20)"),
                                             "Hex SUM CRC: 0x" + Hex4(b.tool.FileInfo.Crc20) + "(0x20)"}));
}

TEST(Loader, BrokenImagesFailWithTheirMessagesAndLeaveNothingToProgram)
{
    const auto expected = Expected();
    int broken = 0;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (!it.value().contains("error"))
            continue;
        ++broken;
        SCOPED_TRACE(it.key().toStdString());
        Loaded l;
        // A good image first: its lengths and CRCs must not survive the failed load.
        Load(l, DataFile("linear16_lf.hex"));
        ASSERT_EQ(l.result, 0);
        ASSERT_NE(l.tool.FileInfo.Length10, 0);
        const int processorBefore = l.tool.FileInfo.Processor;
        l.view.upgradeLog.clear();
        l.tool.ClearHexInfo();
        l.view.path = DataFile(it.key().toLatin1().constData());
        l.result = it.key().endsWith(".bin") ? l.tool.LoadBinFile() : l.tool.LoadHexFile();
        EXPECT_EQ(l.result, 1);
        const QString why = it.value()["error"];
        if (why == QLatin1String("No Meta Block")) {
            EXPECT_EQ(l.dialogs.messages, QStringList{why});
        } else {
            EXPECT_EQ(l.view.upgradeLog, QStringList{why});
        }
        EXPECT_EQ(l.tool.FileInfo.Length10, 0);
        EXPECT_EQ(l.tool.FileInfo.Crc10, 0);
        EXPECT_EQ(l.tool.FileInfo.Length20, 0);
        EXPECT_EQ(l.tool.FileInfo.Crc20, 0);
        EXPECT_EQ(l.tool.FileInfo.Processor, processorBefore); // a rejected meta block is not taken
        if (!it.key().endsWith(".bin")) {
            EXPECT_TRUE(l.view.grid.Cell(1, 1).isEmpty());
        }
    }
    EXPECT_GE(broken, 9);
}

TEST(Loader, UnreadableFilesAndEmptyImages)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath("missing.hex");
    for (const QString& path : {missing, dir.path(), QString()}) {
        Loaded l;
        l.tool.View = &l.view;
        l.view.path = path;
        EXPECT_EQ(l.tool.LoadHexFile(), 1);
        EXPECT_EQ(l.tool.LoadBinFile(), 1);
        EXPECT_TRUE(l.dialogs.messages.isEmpty());
    }
    QFile empty(dir.filePath("empty.bin"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    Loaded l;
    Load(l, empty.fileName());
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.dialogs.messages, QStringList{QStringLiteral("No Meta Block")});
}

TEST(Loader, MetaBlockOnlyAfterTheEndRecordIsNotFound)
{
    Meta m;
    m.start = 0x1000;
    m.stop = 0x1400;
    std::vector<std::uint8_t> image(0x100, 0x12);
    QByteArray text = HexText(0x1000, image);
    std::vector<std::uint8_t> withMeta(0x100, 0x12);
    auto f = m.framed();
    std::copy(f.begin(), f.end(), withMeta.begin() + 0x20);
    text += HexText(0x1000, withMeta);
    QTemporaryDir dir;
    QFile file(dir.filePath("late.hex"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    Loaded l;
    Load(l, file.fileName());
    EXPECT_EQ(l.result, 1);
    EXPECT_EQ(l.dialogs.messages, QStringList{QStringLiteral("No Meta Block")});
    EXPECT_TRUE(l.view.eventLog.isEmpty());
}

TEST(Loader, OnlyAPresentVersionTwoBootLoaderLimitsTheBlocks)
{
    struct Case {
        int slot, address, version;
        bool limits;
    };
    const Case cases[] = {{7, 7, 2, true}, {7, 7, 3, false}, {7, 0, 2, false}, {7, 8, 2, false},
                          {253, 253, 2, true}, {254, 254, 2, false}};
    for (const Case& c : cases) {
        upgradeTool tool;
        tool.InvAddress[static_cast<std::size_t>(c.slot)] = static_cast<std::uint8_t>(c.address);
        tool.InvBootVersion[static_cast<std::size_t>(c.slot)] = c.version;
        EXPECT_EQ(tool.OldBootLoaderPresent(), c.limits) << c.slot << " " << c.address << " " << c.version;
    }
}
