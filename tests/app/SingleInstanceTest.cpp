#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "AppTestSupport.h"

namespace {

struct InstanceFolder {
    QTemporaryDir dir;
    InstanceFolder() { qputenv("SUNVANE_INSTANCE_DIR", dir.path().toUtf8()); }
    ~InstanceFolder() { qunsetenv("SUNVANE_INSTANCE_DIR"); }
};

} // namespace

TEST(SingleInstance, SecondIsRefusedAndRaisesFirst)
{
    EnsureApplication();
    InstanceFolder folder;
    int raised = 0;
    SingleInstance first(QStringLiteral("Sunvane V5.4.2"));
    ASSERT_TRUE(first.Acquire([&] { ++raised; }));

    SingleInstance second(QStringLiteral("Sunvane V5.4.2"));
    EXPECT_FALSE(second.Acquire([] {}));
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised == 1; }, 5000));
}

TEST(SingleInstance, ReleaseLetsTheNextStartRun)
{
    EnsureApplication();
    InstanceFolder folder;
    SingleInstance first(QStringLiteral("Sunvane V5.4.2"));
    ASSERT_TRUE(first.Acquire([] {}));
    first.Release();
    first.Release(); // twice is harmless

    SingleInstance next(QStringLiteral("Sunvane V5.4.2"));
    EXPECT_TRUE(next.Acquire([] {}));
}

TEST(SingleInstance, ProgramFoldersDoNotMeet)
{
    EnsureApplication();
    InstanceFolder folder;
    QTemporaryDir homeA, homeB;
    qputenv("SUNVANE_HOME", homeA.path().toUtf8());
    SingleInstance a(QStringLiteral("Sunvane V5.4.2"));
    qputenv("SUNVANE_HOME", homeB.path().toUtf8());
    SingleInstance b(QStringLiteral("Sunvane V5.4.2"));
    qunsetenv("SUNVANE_HOME");
    EXPECT_NE(a.LockPath(), b.LockPath());
    EXPECT_TRUE(a.Acquire([] {}));
    EXPECT_TRUE(b.Acquire([] {}));
}
