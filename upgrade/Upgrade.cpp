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

void upgradeTool::Show(const ImageLoad& load)
{
    if (load.MetaFound) {
        for (const MetaLabelText& l : load.Meta.Labels)
            View->SetMetaText(l.Control, l.Text);
        for (const QString& line : load.Meta.Lines)
            View->EventLog(line);
    }
    if (!load.MessageText.isEmpty())
        vcl::MessageBox(load.MessageText);
    for (const QString& line : load.UpgradeLines)
        View->UpgradeLog(line);
}

bool upgradeTool::ReadViewFile(std::int64_t limit, const char* kind, QByteArray& bytes)
{
    bool tooLarge = false;
    if (ReadWholeFile(View->HexPath(), limit, bytes, tooLarge))
        return true;
    ForgetLengths();
    if (tooLarge)
        View->UpgradeLog(QLatin1String(kind) + QStringLiteral(" File Error: larger than ") + QString::number(limit)
                         + QStringLiteral(" bytes"));
    return false;
}

int upgradeTool::LoadHexFile()
{
    if (!View)
        return 1;
    QByteArray text;
    if (!ReadViewFile(MaxHexFileBytes, "Hex", text))
        return 1;
    const ImageLoad load = LoadHexImage(text, FileInfo, OldBootLoaderPresent(), View->HexGrid());
    Show(load);
    return load.Result;
}

int upgradeTool::LoadBinFile()
{
    if (!View)
        return 1;
    QByteArray bytes;
    if (!ReadViewFile(MaxImageBytes, "Bin", bytes))
        return 1;
    const ImageLoad load = LoadBinImage(bytes, FileInfo, View->HexGrid());
    Show(load);
    return load.Result;
}
