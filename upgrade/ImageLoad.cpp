#include "upgrade/ImageLoad.h"

namespace {

void ForgetLengths(HexInfo& info)
{
    // Lengths and CRCs always describe the image on the grid: none until a load succeeds.
    info.Length10 = 0;
    info.Crc10 = 0;
    info.Length20 = 0;
    info.Crc20 = 0;
}

// Finds, decodes and checks the meta block; true when it is usable and taken into info.
bool TakeMeta(const HexRecordList& records, int index, bool swapped, HexInfo& info, ImageLoad& load)
{
    if (index < 0 || DecodeMetaWindow(records, index, swapped, load.Meta) != 0) {
        load.MessageText = QStringLiteral("No Meta Block");
        return false;
    }
    load.MetaFound = true;
    const QString error = MetaValueError(load.Meta.Info);
    if (!error.isEmpty()) {
        load.UpgradeLines << error;
        return false;
    }
    ApplyMetaValues(info, load.Meta.Info);
    return true;
}

} // namespace

ImageLoad LoadHexImage(const QByteArray& text, HexInfo& info, bool oldBootLoader, CellGrid& grid)
{
    ImageLoad load;
    ForgetLengths(info);
    HexReadResult read = ReadHexRecords(text);
    if (!read.Ok) {
        load.UpgradeLines << read.ErrorLine;
        return load;
    }
    if (!TakeMeta(read.Records, FindMetaBlock(read.Records), false, info, load))
        return load;
    LayoutResult layout = LayoutHexImage(read.Records, info, oldBootLoader, grid);
    if (!layout.Ok) {
        load.UpgradeLines << layout.ErrorLine;
        load.MessageText = layout.MessageText;
        ClearHexGrid(grid);
        return load;
    }
    // Loaded as the user confirmed: the log keeps that the file may have been cut short.
    if (!read.EndRecord)
        load.UpgradeLines << QStringLiteral("Hex File Warning: no end record, the image may be cut short");
    load.UpgradeLines << layout.LogLines;
    load.Result = 0;
    return load;
}

ImageLoad LoadBinImage(const QByteArray& bytes, HexInfo& info, CellGrid& grid)
{
    ImageLoad load;
    ForgetLengths(info);
    if (bytes.size() > MaxImageBytes) {
        load.UpgradeLines << QStringLiteral("Bin File Error: larger than ") + QString::number(MaxImageBytes)
                                 + QStringLiteral(" bytes");
        return load;
    }
    WriteBinRows(bytes, grid);
    const HexRecordList rows = BinRecords(bytes);
    if (!TakeMeta(rows, FindMetaBlockSwapped(rows), true, info, load))
        return load;
    LayoutResult layout = BinLengthAndCrc(rows, info);
    load.UpgradeLines << layout.LogLines;
    load.Result = 0;
    return load;
}
