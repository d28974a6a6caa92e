#include "upgrade/Upgrade.h"

#include "vcl/Services.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A HEX text of an image at the size limit is about three times the image.
constexpr qint64 MaxHexFileBytes = 4 * MaxImageBytes;

enum class ReadFailure { None, Unreadable, NotRegular, TooLarge };

ReadFailure ReadWholeFile(const QString& path, qint64 limit, QByteArray& bytes)
{
    if (path.isEmpty())
        return ReadFailure::Unreadable;
    // Opened without waiting, and looked at before anything is read: a pipe would hold the
    // window until some writer came, a device might never end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return ReadFailure::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return ReadFailure::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadFailure::NotRegular;
    }
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return ReadFailure::Unreadable;
    }
    if (st.st_size > limit)
        return ReadFailure::TooLarge;
    bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return ReadFailure::Unreadable;
    return bytes.size() > limit ? ReadFailure::TooLarge : ReadFailure::None;
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

bool upgradeTool::ReadImageFile(bool hex, QByteArray& bytes)
{
    const qint64 limit = hex ? MaxHexFileBytes : MaxImageBytes;
    const QString kind = hex ? QStringLiteral("Hex") : QStringLiteral("Bin");
    const ReadFailure failure = View ? ReadWholeFile(View->HexPath(), limit, bytes) : ReadFailure::Unreadable;
    if (failure == ReadFailure::None)
        return true;
    ForgetLengths();
    if (failure == ReadFailure::TooLarge)
        View->UpgradeLog(kind + QStringLiteral(" File Error: larger than ") + QString::number(limit)
                         + QStringLiteral(" bytes"));
    else if (failure == ReadFailure::NotRegular)
        View->UpgradeLog(kind + QStringLiteral(" File Error: not a regular file"));
    return false;
}

bool upgradeTool::AcceptHexText(const QByteArray& text)
{
    const HexReadResult read = ReadHexRecords(text);
    if (!read.Ok || read.EndRecord || read.Records.empty())
        return true;
    return vcl::MessageBox(QStringLiteral("The file has no end record: it may be cut short. Load it anyway?"),
                           QString(), vcl::MB_YESNO | vcl::MB_ICONWARNING)
           == vcl::IDYES;
}

int upgradeTool::LoadHexText(const QByteArray& text)
{
    if (!View)
        return 1;
    const ImageLoad load = LoadHexImage(text, FileInfo, OldBootLoaderPresent(), View->HexGrid());
    Show(load);
    return load.Result;
}

int upgradeTool::LoadBinBytes(const QByteArray& bytes)
{
    if (!View)
        return 1;
    const ImageLoad load = LoadBinImage(bytes, FileInfo, View->HexGrid());
    Show(load);
    return load.Result;
}

int upgradeTool::LoadHexFile()
{
    QByteArray text;
    if (!View || !ReadImageFile(true, text))
        return 1;
    if (!AcceptHexText(text))
        return 1;
    return LoadHexText(text);
}

int upgradeTool::LoadBinFile()
{
    QByteArray bytes;
    if (!View || !ReadImageFile(false, bytes))
        return 1;
    return LoadBinBytes(bytes);
}
