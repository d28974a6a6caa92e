#include "files/RegisterDump.h"

#include "common/Myfunc.h"
#include "files/FileText.h"
#include "link/Modbus.h"
#include "vcl/FileWrite.h"
#include "vcl/Services.h"

#include <vector>

namespace files {

namespace {

// One row of the register list.
struct ConfigArch {
    QString Name;
    QString Address;
    QString Text;
};

bool AcceptedRead(const Modbus& link, std::uint8_t fc, int words)
{
    return link.ReplyOk == 1 && link.Reply[1] == fc && link.Reply[2] == 2 * words && link.ReplyLength == 2 * words + 5;
}

// An earlier dump at path that every listed register made it into: it has no "Error" value.
bool CompleteDumpExists(const QString& path)
{
    std::vector<QString> rows;
    if (!ReadRows(path, rows) || rows.empty())
        return false;
    for (const QString& row : rows) {
        const QStringList f = SplitDelimited(row);
        if (f.size() >= 3 && f[2] == QLatin1String("Error"))
            return false;
    }
    return true;
}

} // namespace

QString ConfigLogFolder() { return ProgramFolder() + QStringLiteral("/ConfigLog"); }
QString ConfigModelPath() { return ProgramFolder() + QStringLiteral("/profile/ConfigModel.csv"); }

int ConfigLogFileName(QString& path, int slaveId)
{
    EnsureDirectory(ConfigLogFolder());
    path = ConfigLogFolder() + QStringLiteral("/Config_ID") + QString::number(slaveId) + QStringLiteral(".csv");
    return 0;
}

int DumpConfigModel(const QString& path, Modbus& link, QString* problem)
{
    if (problem)
        problem->clear();
    std::vector<QString> rows;
    if (!ReadRows(ConfigModelPath(), rows)) {
        vcl::MessageBox(QStringLiteral("Error-No Config Model"));
        return 1;
    }
    std::vector<ConfigArch> list;
    for (const QString& row : rows) {
        const QStringList f = SplitDelimited(row);
        if (f.isEmpty())
            continue;
        list.push_back({f[0], f.size() >= 2 ? f[1] : QString(), f.size() >= 3 ? f[2] : QString()});
    }

    // The whole dump is made in memory first: the file is written only once every register was
    // asked, so a failed link or write never leaves half a dump in place of the earlier one.
    const int id = link.SlaveId;
    QByteArray bytes;
    QStringList unread;
    int registers = 0;
    for (const ConfigArch& r : list) {
        QString line = r.Name + QLatin1Char(',') + r.Address + QLatin1Char(',');
        const int a = StrToIntSafe(r.Address);
        if (a < 1 || a > 65535) {
            line += r.Text;
        } else {
            ++registers;
            if (link.Request(a, 1, 3) != 0)
                return 1;
            if (AcceptedRead(link, 3, 1)) {
                line += QString::number(link.Reply[3] << 8 | link.Reply[4]);
            } else {
                line += QStringLiteral("Error");
                unread << r.Address;
            }
        }
        line += QStringLiteral("\r\n");
        bytes += line.toUtf8();
    }

    auto report = [problem](const QString& text) {
        if (problem)
            *problem = text;
        else
            vcl::MessageBox(text);
        return 1;
    };
    // An inverter that answered no read leaves no file of "Error" rows: one message names it.
    if (registers > 0 && unread.size() == registers)
        return report(QStringLiteral("ID %1 was not dumped: no register could be read").arg(id));
    for (const QString& address : unread)
        vcl::MessageBox(QStringLiteral("Error-Read Address(") + address + QLatin1Char(')'));
    const QString count = QStringLiteral("%1 register(s) could not be read: ").arg(unread.size());
    // A dump with unread registers never replaces a complete one.
    if (!unread.isEmpty() && CompleteDumpExists(path))
        return report(count + QStringLiteral("the earlier ") + path + QStringLiteral(" is kept"));
    QString error;
    if (!vcl::WriteFileWhole(path, bytes, &error))
        return report(error);
    if (!unread.isEmpty())
        return report(count + path + QStringLiteral(" holds \"Error\" for them"));
    return 0;
}

} // namespace files
