// Every kind of file the program writes, on a full disk and in a read-only folder: the earlier
// file stays byte for byte, nothing is left beside it, and the failure names the file and the
// cause. A full disk is a file-size limit (RLIMIT_FSIZE, with SIGXFSZ ignored): a write past it
// fails as on a full disk, also for root. A read-only folder is a folder without write
// permission, which the program respects for every user, root included.
#include "files/DataLog.h"
#include "files/RegisterDump.h"
#include "files/RepairRecord.h"

#include "design/Guide.h"
#include "design/LayoutFile.h"
#include "design/ModeSettings.h"
#include "design/PreviousSet.h"
#include "link/Modbus.h"
#include "support/Dialogs.h"
#include "support/FileFaults.h"
#include "support/HookedTime.h"
#include "support/QtApp.h"
#include "tools/invsim/Bus.h"
#include "vcl/FileWrite.h"
#include "vcl/Kit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using testsupport::ScriptedDialogs;

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

enum class Fault { FullDisk, ReadOnlyFolder };

class FailedWrites : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::EnsureApplication();
        holder = std::make_unique<vcl::TForm>();
        ASSERT_TRUE(home.isValid());
        qputenv("SUNVANE_HOME", home.path().toUtf8());
        for (const char* folder : {"profile", "ConfigLog", "DataLog", "SuperHero", "Monitor"})
            ASSERT_TRUE(QDir(home.path()).mkpath(folder));
        vcl::SetDialogService(&dialogs);
        std::string error;
        ASSERT_TRUE(bus.Start(&error)) << error;
        time.settle = [this] { bus.WaitIdle(5000); };
        vcl::SetTimeService(&time);
        bus.AddInverter(5, 9600);
        bus.SetHolding(5, 100, 1);
        bus.SetHolding(5, 101, 2);
        ASSERT_EQ(link.OpenCom(QString::fromStdString(bus.Path())), 0);
        link.SetBaudCode(1);
        link.SlaveId = 5;
        Write(home.filePath("profile/ConfigModel.csv"), "A,100,0\nB,101,0\n");
    }
    void TearDown() override
    {
        vcl::SetTimeService(nullptr);
        link.Com.Close();
        bus.Stop();
        vcl::SetDialogService(nullptr);
        qunsetenv("SUNVANE_HOME");
    }

public:
    QTemporaryDir home;
    ScriptedDialogs dialogs;
    // The ten tries of a data-log line, 2 s apart, take a moment here.
    testsupport::HookedScaledTime time{0.01};
    invsim::Bus bus;
    Modbus link;
    std::unique_ptr<vcl::TForm> holder;   // made once the application is there
    vcl::TForm& form() { return *holder; }
};

// One kind of file: where it lies, what stood there before (empty: no file) and the write,
// which returns whether it reported success and adds what it reported to `said`.
struct Kind {
    const char* file;
    QByteArray earlier;
    std::function<bool(FailedWrites&, const QString& path, QStringList& said)> write;
};

TEST_F(FailedWrites, KeepTheEarlierFileAndSayWhichAndWhy)
{
    design::PanelStates layout = design::InitialPanelStates();
    design::PanelState& version = layout[static_cast<size_t>(design::GroupPanelIndex(u"Group_Version"))];
    version.height = version.tag;
    version.page = 0;
    version.left = version.top = 3;

    const std::vector<Kind> kinds = {
        {"ConfigLog/Config_ID5.csv", "A,100,7\r\n",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             QString problem;
             const int r = files::DumpConfigModel(path, t.link, &problem);
             said << problem;
             return r == 0;
         }},
        {"DataLog/2020.3.9_001.csv", "",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             QString error;
             const int r = files::WriteDataLogHeader(t.form(), path, &error);
             said << error;
             return r == 0;
         }},
        {"DataLog/2020.3.9_002.csv", ",ID,SN,Time,\r\n,5,??,9:5:30,\r\n",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             QString error;
             const auto r = files::WriteDataLogRow(t.form(), path, 5, QTime(9, 5, 31), &error);
             said << error;
             return r == files::RowResult::Written;
         }},
        {"ConfigLog/OnSiteRepair.csv", "",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             QString error;
             const int r = files::WriteOnSiteRepairRecord(t.form(), 3, path, t.link, &error);
             said << error;
             return r == 0;
         }},
        {"ConfigLog/OnSiteRepair.csv", files::RepairTitleLine() + " ,3P,??\r\n",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             QString error;
             const int r = files::WriteOnSiteRepairRecord(t.form(), 3, path, t.link, &error);
             said << error;
             return r == 0;
         }},
        {"SuperHero/MonitorSet0.RQX", "[Version]\r\nHeight=40\r\n",
         [&layout](FailedWrites& t, const QString& path, QStringList& said) {
             const int r = design::SavePageDesign(path, layout, 0);
             said << t.dialogs.TakeShown();
             return r == 0;
         }},
        {"Monitor/MonitorSet.RQX", "[Write]\r\nPermission=1\r\n",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             const int r = design::SaveMonitorSet(path, design::ModeSettings{}, 1);
             said << t.dialogs.TakeShown();
             return r == 0;
         }},
        {"KIV_Guide.pdf", "",
         [](FailedWrites&, const QString& path, QStringList& said) {
             QString error;
             const int r = design::WriteGuidePdf(path, &error);
             said << error;
             return r == 0;
         }},
        {"profile/PreviousSet.RQX", "[Language]\r\nSet=0\r\n",
         [](FailedWrites& t, const QString& path, QStringList& said) {
             design::PreviousSet p;
             p.languageIndex = 2;
             const int r = design::SavePreviousSet(path, p);
             said << t.dialogs.TakeShown();
             return r == 0;
         }},
    };

    for (const Fault fault : {Fault::FullDisk, Fault::ReadOnlyFolder}) {
        for (const Kind& kind : kinds) {
            const QString path = home.filePath(kind.file);
            const QString folder = QFileInfo(path).absolutePath();
            SCOPED_TRACE(std::string(fault == Fault::FullDisk ? "full disk: " : "read-only folder: ") + kind.file +
                         (kind.earlier.isEmpty() ? " (new)" : ""));
            QFile::remove(path);
            if (!kind.earlier.isEmpty())
                Write(path, kind.earlier);
            const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            dialogs.TakeShown();

            QStringList said;
            bool reportedDone = false;
            {
                // Three bytes more than the earlier file: a write gets part of the way.
                std::unique_ptr<testsupport::FileSizeLimit> full;
                std::unique_ptr<testsupport::ReadOnlyFolder> readOnly;
                if (fault == Fault::FullDisk)
                    full = std::make_unique<testsupport::FileSizeLimit>(static_cast<rlim_t>(kind.earlier.size() + 3));
                else
                    readOnly = std::make_unique<testsupport::ReadOnlyFolder>(folder);
                reportedDone = kind.write(*this, path, said);
            }
            said << dialogs.TakeShown();
            said.removeAll(QString());

            EXPECT_FALSE(reportedDone);
            if (kind.earlier.isEmpty())
                EXPECT_FALSE(QFile::exists(path)) << "no part of a new file is left";
            else
                EXPECT_EQ(Read(path), kind.earlier);
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), before) << "nothing left beside it";
            const QString cause = fault == Fault::FullDisk ? "File too large" : "the folder is read-only";
            EXPECT_EQ(said, QStringList{vcl::FileWriteError(path, cause)});
        }
    }
}

} // namespace
