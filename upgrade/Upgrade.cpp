#include "upgrade/Upgrade.h"

#include "vcl/Services.h"

#include <QFile>

namespace {

// A HEX text of an image at the size limit is about three times the image.
constexpr qint64 MaxHexFileBytes = 4 * MaxImageBytes;

bool ReadWholeFile(const QString& path, qint64 limit, QByteArray& bytes, bool& tooLarge)
{
    tooLarge = false;
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return false;
    if (f.size() > limit) {
        tooLarge = true;
        return false;
    }
    bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    return true;
}

} // namespace

const QStringList& MetaControlNames()
{
    static const QStringList names = {
        QStringLiteral("L_METAVERSION"), QStringLiteral("L_PRODUCTID"), QStringLiteral("L_PROCESSOR"),
        QStringLiteral("L_HVERSION"),    QStringLiteral("L_SVERSION"),  QStringLiteral("L_STARTADDR"),
        QStringLiteral("L_STOPADDR"),    QStringLiteral("L_ERASESIZE"), QStringLiteral("L_PROGRAMSIZE"),
        QStringLiteral("Combo_Delay"),   QStringLiteral("L_FILLVALUE"), QStringLiteral("L_CHECKSUM"),
        QStringLiteral("L_BAUDRATE"),
    };
    return names;
}

upgradeTool& UpgradeEngine()
{
    static upgradeTool engine;
    return engine;
}

int upgradeTool::ClearHexInfo()
{
    if (!View)
        return 0;
    for (const QString& name : MetaControlNames())
        View->SetMetaText(name, QString());
    ClearHexGrid(View->HexGrid());
    return 0;
}

bool upgradeTool::OldBootLoaderPresent() const
{
    for (int i = 1; i <= 253; ++i)
        if (InvAddress[static_cast<std::size_t>(i)] == i && InvBootVersion[static_cast<std::size_t>(i)] == 2)
            return true;
    return false;
}

void upgradeTool::ForgetLengths()
{
    // Lengths and CRCs always describe the image on the grid: none until a load succeeds.
    FileInfo.Length10 = 0;
    FileInfo.Crc10 = 0;
    FileInfo.Length20 = 0;
    FileInfo.Crc20 = 0;
}

int upgradeTool::ShowMeta(const HexRecordList& records, int index, bool swapped)
{
    MetaReport report;
    if (index < 0 || DecodeMetaWindow(records, index, swapped, report) != 0) {
        vcl::MessageBox(QStringLiteral("No Meta Block"));
        return 1;
    }
    for (const MetaLabelText& l : report.Labels)
        View->SetMetaText(l.Control, l.Text);
    for (const QString& line : report.Lines)
        View->EventLog(line);
    const QString error = MetaValueError(report.Info);
    if (!error.isEmpty()) {
        View->UpgradeLog(error);
        return 1;
    }
    ApplyMetaValues(FileInfo, report.Info);
    return 0;
}

int upgradeTool::LoadHexFile()
{
    if (!View)
        return 1;
    ForgetLengths();
    QByteArray text;
    bool tooLarge = false;
    if (!ReadWholeFile(View->HexPath(), MaxHexFileBytes, text, tooLarge)) {
        if (tooLarge)
            View->UpgradeLog(QStringLiteral("Hex File Error: larger than ") + QString::number(MaxHexFileBytes)
                             + QStringLiteral(" bytes"));
        return 1;
    }
    HexReadResult read = ReadHexRecords(text);
    text.clear();
    if (!read.Ok) {
        View->UpgradeLog(read.ErrorLine);
        return 1;
    }
    if (ShowMeta(read.Records, FindMetaBlock(read.Records), false) != 0)
        return 1;
    LayoutResult layout = LayoutHexImage(read.Records, FileInfo, OldBootLoaderPresent(), View->HexGrid());
    if (!layout.Ok) {
        View->UpgradeLog(layout.ErrorLine);
        ClearHexGrid(View->HexGrid());
        return 1;
    }
    for (const QString& line : layout.LogLines)
        View->UpgradeLog(line);
    return 0;
}

int upgradeTool::LoadBinFile()
{
    if (!View)
        return 1;
    ForgetLengths();
    QByteArray bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(View->HexPath(), MaxImageBytes, bytes, tooLarge)) {
        if (tooLarge)
            View->UpgradeLog(QStringLiteral("Bin File Error: larger than ") + QString::number(MaxImageBytes)
                             + QStringLiteral(" bytes"));
        return 1;
    }
    WriteBinRows(bytes, View->HexGrid());
    const HexRecordList rows = BinRecords(bytes);
    if (ShowMeta(rows, FindMetaBlockSwapped(rows), true) != 0)
        return 1;
    LayoutResult layout = BinLengthAndCrc(rows, FileInfo);
    for (const QString& line : layout.LogLines)
        View->UpgradeLog(line);
    return 0;
}
