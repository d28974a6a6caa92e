// The three savers of the program folder's files on a file without write permission: one message
// with the file's path and the cause, the file byte for byte as it was. The INI class refuses such a file even
// for root, so this holds for every user.
#include "DesignTestSupport.h"

#include "design/LayoutFile.h"
#include "design/ModeSettings.h"
#include "design/PreviousSet.h"

#include <functional>

namespace {

using namespace design;
using designtest::ReadAll;
using designtest::WriteAll;

class ReadOnlySave : public designtest::DesignTest {};

TEST_F(ReadOnlySave, IsReportedOnceWithItsPathAndChangesNothing)
{
    struct Case {
        const char* file;
        QByteArray contents;
        std::function<int(const QString&)> save;
    };
    const Case cases[] = {
        {"MonitorSet.RQX", "[Write]\nPermission=1\n",
         [](const QString& path) { return SaveMonitorSet(path, ModeSettings{}, 1); }},
        {"PreviousSet.RQX", "[Language]\nSet=0\n",
         [](const QString& path) { return SavePreviousSet(path, PreviousSet{}); }},
        {"MonitorSet1.RQX", "[Version]\nHeight=40\n",
         [](const QString& path) {
             PanelStates s = InitialPanelStates();
             PanelState& p = s[GroupPanelIndex(u"Group_Version")];
             p.height = p.tag;
             p.page = 1;
             p.left = p.top = 3;
             return SavePageDesign(path, s, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = Path(c.file);
        WriteAll(path, c.contents);
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        dialogs.shown.clear();
        EXPECT_EQ(c.save(path), 2);
        EXPECT_EQ(dialogs.shown, QStringList{"Unable to write to " + path + ": the file is read-only"});
        EXPECT_EQ(ReadAll(path), c.contents);
    }
}

} // namespace
