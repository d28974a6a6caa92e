#include "vcl/Services.h"

#include <gtest/gtest.h>

namespace {

struct ScriptedDialogs : vcl::DialogService {
    QStringList shown;
    int MessageBox(const QString& text, const QString&, int) override { shown << text; return vcl::IDOK; }
};

TEST(Services, DialogServiceIsReplaceableAndRestored)
{
    ScriptedDialogs dialogs;
    vcl::SetDialogService(&dialogs);
    EXPECT_EQ(vcl::MessageBox("COM Can't Open"), vcl::IDOK);
    vcl::SetDialogService(nullptr);
    EXPECT_EQ(dialogs.shown, QStringList{"COM Can't Open"});
    EXPECT_NE(&vcl::Dialogs(), &dialogs);
}

TEST(Services, ScaledTimeShortensPauses)
{
    vcl::ScaledTimeService fast(0.01);
    vcl::SetTimeService(&fast);
    const auto t0 = vcl::TimeService().NowMs();
    vcl::Time().Sleep(1000);
    const auto t1 = vcl::TimeService().NowMs();
    vcl::SetTimeService(nullptr);
    EXPECT_LT(t1 - t0, 500);
}

} // namespace
