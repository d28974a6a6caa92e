#include "files/DataLog.h"

#include "common/Myfunc.h"
#include "files/FileText.h"
#include "vcl/FileWrite.h"
#include "vcl/Services.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <string>
#include <vector>

namespace files {

namespace {

constexpr int kTries = 10;
constexpr int kRetryMs = 2000;
constexpr int kLastNumber = 998;

// One panel's columns: its titles (literal, or the texts of controls) and its value labels,
// each taken as its first word or whole.
struct LogGroup {
    QString panel;
    QStringList titles;
    bool titlesFromControls = false;
    QStringList values;
    std::vector<bool> whole;   // per value; empty: every value is its first word
};

QStringList Numbered(const QString& head, int first, int last, int width = 0)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << head + QString::number(i).rightJustified(width, QLatin1Char('0'));
    return out;
}

// The ten rows of a register poll: 1..9 then 10 ("01".."09", "010" for the first poll).
QStringList PollRows(const QString& head, int poll)
{
    QStringList out;
    for (int row = 1; row <= 10; ++row)
        out << head + QString::number(poll) + QString::number(row);
    return out;
}

const std::vector<LogGroup>& Groups()
{
    static const std::vector<LogGroup> groups = [] {
        std::vector<LogGroup> g;
        auto add = [&](const QString& panel, QStringList titles, QStringList values, bool whole = false) {
            LogGroup x;
            x.panel = panel;
            x.titles = std::move(titles);
            x.values = std::move(values);
            x.whole.assign(static_cast<size_t>(x.values.size()), whole);
            g.push_back(std::move(x));
        };
        for (int i = 1; i <= 4; ++i) {
            const QString n = QString::number(i);
            add("Group_GetDC" + n, {"Vdc" + n, "Idc" + n, "Pdc" + n},
                {"Label_Vdc" + n, "Label_Idc" + n, "Label_Pdc" + n});
        }
        const char* phases = "RST";
        for (int i = 0; i < 3; ++i) {
            const QString n = QString::number(i + 1);
            const QString p = QString(QLatin1Char(phases[i]));
            add("Group_GetAC" + n, {"Vac" + n, "Iac" + n, "Pac" + n, "Fac" + n},
                {"Label_Vac" + p + "_Grid", "Label_Iac" + p, "Label_Pac" + p, "Label_Fac" + p});
        }
        add("Group_GetVbus", {"Pbus", "Nbus"}, {"Label_PBus", "Label_NBus"});
        add("Group_GetTotalBus", {"Total_Bus"}, {"Label_TotalBus"});
        add("Group_StandAlone3P",
            {"U-W voltage", "U-W current", "U-W Power", "U-W frequency", "U-O voltage", "U-O current", "U-O power",
             "U-O frequency", "W-O voltage", "W-O current", "W-O power", "W-O frequency"},
            {"Label_UW_voltage", "Label_UW_current", "Label_UW_Power", "Label_UW_frequency", "Label_UO_voltage",
             "Label_UO_current", "Label_UO_power", "Label_UO_frequency", "Label_WO_voltage", "Label_WO_current",
             "Label_WO_power", "Label_WO_frequency"});
        for (int t = 1; t <= 2; ++t) {
            add("Group_Temper" + QString::number(t), Numbered("Label_TemperTitle" + QString::number(t), 1, 4),
                Numbered("Label_Temperature" + QString::number(t), 1, 4));
            g.back().titlesFromControls = true;
        }
        add("Group_OutputPower", {"Today Wh", "Today RunTime", "Total Wh", "Total RunTime"},
            {"Label_TodayWh", "Label_Runtime", "Label_TotalWh", "Label_TotalRuntime"});
        add("Group_TestValue", Numbered("T", 0, 11, 2), Numbered("Label_TestValN", 0, 11), true);
        add("Group_StringCurr", Numbered("sc", 1, 24), Numbered("Label_StringCurr", 1, 24));
        QStringList maxTitles, maxValues;
        for (int i = 1; i <= 3; ++i) {
            const QString n = QString::number(i);
            maxTitles << "Vac" + n << "Iac" + n << "Pac" + n << "Fac" + n;
            maxValues << "Label_MaxVac" + n << "Label_MaxIac" + n << "Label_MaxPac" + n << "Label_MaxFac" + n;
        }
        add("Group_MaxOutputValue", maxTitles, maxValues);
        add("Group_TotalPower", {"Total Pin", "Total Pout", "Q:", "PF:"},
            {"Label_TotalInputPower", "Label_TotalOutputPower", "Label_Q_Sum", "Label_PowerFactor"});
        g.back().whole = {false, false, true, true};
        for (int i = 1; i <= 2; ++i) {
            const QString n = QString::number(i);
            add("Group_LoadPower" + n,
                {"Load" + n + " Volt", "Load" + n + " Current", "Load" + n + " Power", "Load" + n + " Freq",
                 "Load" + n + " PF"},
                {"Label_Vload" + n, "Label_Iload" + n, "Label_Pload" + n, "Label_Fload" + n, "Label_PFload" + n});
        }
        add("Group_BT_Info",
            {"BT SOC", "BT SOH", "BT MaxVolt", "BT MinVolt", "BT MaxT", "BT MinT", "BT Capacity", "BT Voltage",
             "BT Current", "BT Power", "BT MCCL", "BT MDCL"},
            {"Label_BT_SOC", "Label_BT_SOH", "Label_BT_MaxVolt", "Label_BT_MinVolt", "Label_BT_MaxT", "Label_BT_MinT",
             "Label_BT_Capacity", "Label_BT_Voltage", "Label_BT_Current", "Label_BT_Power", "Label_BT_MCCL",
             "Label_BT_MDCL"});
        add("Group_Insulation", {"string1", "string2"}, {"Label_LeakageR1_Avg", "Label_LeakageR2_Avg"}, true);
        for (int p = 0; p < 4; ++p) {
            add("Group_Poll0" + QString::number(p + 1), PollRows("Edit_PollAddr", p),
                PollRows("Label_PollVal", p), true);
            g.back().titlesFromControls = true;
        }
        return g;
    }();
    return groups;
}

bool PanelVisible(const vcl::TComponent& form, const QString& name)
{
    auto* c = dynamic_cast<vcl::TControl*>(form.FindComponent(name));
    return c && c->Visible();
}

// A control's text; a value label that is not there reads as one that shows nothing yet.
QString ControlText(const vcl::TComponent& form, const QString& name, const QString& missing)
{
    auto* c = dynamic_cast<vcl::TControl*>(form.FindComponent(name));
    return c ? c->Text() : missing;
}

void AddCell(std::string& line, const QString& text)
{
    line += text.toStdString();
    line += ',';
}

QByteArray Finish(std::string& line)
{
    line += "\r\n";
    return QByteArray::fromStdString(line);
}

} // namespace

QString DataLogFolder() { return ProgramFolder() + QStringLiteral("/DataLog"); }

int NewDataLogFileName(QString& path, const QDate& day)
{
    const QString folder = DataLogFolder();
    EnsureDirectory(folder);
    const QString head = folder + QLatin1Char('/') + QString::number(day.year()) + QLatin1Char('.') +
                         QString::number(day.month()) + QLatin1Char('.') + QString::number(day.day()) + QLatin1Char('_');
    for (int n = 1; n <= kLastNumber; ++n) {
        const QString name = head + QString::number(n).rightJustified(3, QLatin1Char('0')) + QStringLiteral(".csv");
        if (!QFileInfo::exists(name)) {
            path = name;
            return 0;
        }
    }
    return 1;
}

QByteArray DataLogTitleLine(const vcl::TComponent& form)
{
    std::string line = ",ID,SN,Time,";
    for (const LogGroup& g : Groups()) {
        if (!PanelVisible(form, g.panel))
            continue;
        for (const QString& t : g.titles)
            AddCell(line, g.titlesFromControls ? ControlText(form, t, QString()) : t);
    }
    return Finish(line);
}

QByteArray DataLogSampleLine(const vcl::TComponent& form, std::uint8_t slaveId, const QTime& time)
{
    const QString noValue = QStringLiteral("??");
    std::string line = ",";
    AddCell(line, QString::number(slaveId));
    AddCell(line, ControlText(form, QStringLiteral("Label_VantoSN"), noValue));
    AddCell(line, QString::number(time.hour()) + QLatin1Char(':') + QString::number(time.minute()) + QLatin1Char(':') +
                      QString::number(time.second()));
    for (const LogGroup& g : Groups()) {
        if (!PanelVisible(form, g.panel))
            continue;
        for (qsizetype i = 0; i < g.values.size(); ++i) {
            const QString text = ControlText(form, g.values[i], noValue);
            if (g.whole[static_cast<size_t>(i)]) {
                AddCell(line, text);
            } else {
                std::string word;
                CopyFirstWord(word, text);
                line += word;
                line += ',';
            }
        }
    }
    return Finish(line);
}

int WriteDataLogHeader(const vcl::TComponent& form, const QString& path, QString* error)
{
    const QByteArray line = DataLogTitleLine(form);
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        if (QFileInfo::exists(path)) {
            if (error)
                *error = vcl::FileWriteError(path, QStringLiteral("the file exists already"));
            return 1;
        }
        if (WriteNewFile(path, line, error))
            return 0;
        if (attempt < kTries)
            vcl::Time().Sleep(kRetryMs);
    }
    return 1;
}

RowResult WriteDataLogRow(const vcl::TComponent& form, const QString& path, std::uint8_t slaveId, const QTime& time,
                          QString* error)
{
    const QByteArray line = DataLogSampleLine(form, slaveId, time);
    bool found = false;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        if (!QFileInfo::exists(path))
            continue;
        found = true;
        if (AppendWhole(path, line, error))
            return RowResult::Written;
        if (attempt < kTries)
            vcl::Time().Sleep(kRetryMs);
    }
    return found ? RowResult::Failed : RowResult::NoFile;
}

} // namespace files
