#include "files/RepairRecord.h"

#include "common/Myfunc.h"
#include "files/FileText.h"
#include "files/RegisterDump.h"
#include "link/Modbus.h"

#include <QFileInfo>
#include <QStringList>

namespace files {

namespace {

constexpr int kInstallDate = 1168;

const QStringList& Titles()
{
    static const QStringList titles = {
        "Vanto P/N", "1P/3P", "S/N", "Fault description 1", "Fault description 2", "Fault description 3",
        "Fault description 4", "Fault description 5", "Out of Wanrranty(Y/N)", "Install date", "Treatment",
        "Site repaired detail", "Treated date(YYYY/MM/DD)", "Warehourse location", "Replaced Date(YYYY/MM/DD)",
        "Replaced SN", "New unit(Y/N)", "DSP Ver.", "Red Ver.", "Comm Ver.", "Country setting", "Total Energy",
        "Total Runtime"};
    return titles;
}

QString LabelText(const vcl::TComponent& form, const char* name)
{
    auto* c = dynamic_cast<vcl::TControl*>(form.FindComponent(QLatin1String(name)));
    return c ? c->Text() : QStringLiteral("??");
}

} // namespace

QByteArray RepairTitleLine()
{
    QString line;
    for (const QString& t : Titles())
        line += t + QLatin1Char(',');
    return (line + QStringLiteral("\r\n")).toUtf8();
}

int OnSiteRepairFileName(QString& path, const QString&)
{
    EnsureDirectory(ConfigLogFolder());
    path = ConfigLogFolder() + QStringLiteral("/OnSiteRepair.csv");
    return 0;
}

int WriteOnSiteRepairRecord(const vcl::TComponent& form, int phaseCount, const QString& path, Modbus& link,
                            QString* error)
{
    // The date is read before anything is written, so a link failure leaves no half record.
    if (link.Request(kInstallDate, 3, 4) != 0)
        return 1;
    QString date;
    if (link.ReplyOk == 1 && link.Reply[1] == 4 && link.Reply[2] == 6 && link.ReplyLength == 11) {
        auto word = [&](int i) { return QString::number(link.Reply[3 + 2 * i] << 8 | link.Reply[4 + 2 * i]); };
        date = word(0) + QLatin1Char('/') + word(1) + QLatin1Char('/') + word(2);
    }
    const QString blank = QStringLiteral(" ");
    QStringList f;
    f << blank << QString::number(phaseCount) + QLatin1Char('P') << LabelText(form, "Label_VantoSN");
    for (const char* e : {"Label_Event0", "Label_Event1", "Label_Event2", "Label_Event3", "Label_Event4"})
        f << LabelText(form, e);
    f << blank << date;
    for (int i = 0; i < 7; ++i)
        f << blank;
    f << LabelText(form, "Label_DSP_Rev") << LabelText(form, "Label_Redundant_Rev")
      << LabelText(form, "Label_Display_Rev") << blank << LabelText(form, "Label_TotalWh")
      << LabelText(form, "Label_TotalRuntime");
    QByteArray bytes;
    const bool fresh = !QFileInfo::exists(path);
    if (fresh)
        bytes = RepairTitleLine();
    bytes += (f.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
    if (fresh)
        return WriteNewFile(path, bytes, error) ? 0 : 1;
    return AppendWhole(path, bytes, error) ? 0 : 1;
}

} // namespace files
