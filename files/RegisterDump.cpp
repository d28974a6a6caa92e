#include "files/RegisterDump.h"

#include "common/Myfunc.h"
#include "files/FileText.h"
#include "link/Modbus.h"
#include "vcl/Services.h"

#include <QSaveFile>
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

int DumpConfigModel(const QString& path, Modbus& link)
{
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

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    int failed = 0;
    for (const ConfigArch& r : list) {
        QString line = r.Name + QLatin1Char(',') + r.Address + QLatin1Char(',');
        const int a = StrToIntSafe(r.Address);
        if (a < 1 || a > 65535) {
            line += r.Text;
        } else {
            if (link.Request(a, 1, 3) != 0) {
                file.cancelWriting();
                return 1;
            }
            if (AcceptedRead(link, 3, 1)) {
                line += QString::number(link.Reply[3] << 8 | link.Reply[4]);
            } else {
                line += QStringLiteral("Error");
                ++failed;
                vcl::MessageBox(QStringLiteral("Error-Read Address(") + r.Address + QLatin1Char(')'));
            }
        }
        line += QStringLiteral("\r\n");
        file.write(line.toUtf8());
    }
    // A silent inverter would otherwise turn a good backup into a file that cannot be uploaded.
    if (failed > 0 && CompleteDumpExists(path)) {
        file.cancelWriting();
        vcl::MessageBox(QString::number(failed) + QStringLiteral(" register(s) could not be read: the earlier ") + path +
                        QStringLiteral(" is kept"));
        return 0;
    }
    return file.commit() ? 0 : 1;
}

} // namespace files
