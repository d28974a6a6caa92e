// The application object, in a process of its own (a death test re-runs this binary for it):
// an exception that escapes an event is shown and the program goes on; numbers print with "."
// whatever the user's locale.
#include "vcl/Kit.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

struct Recording : vcl::DialogService {
    QStringList shown;
    int MessageBox(const QString& text, const QString&, int) override { shown << text; return vcl::IDOK; }
};

int RunApplication()
{
    if (qApp)
        return 3; // needs a fresh process
    setenv("LC_ALL", "de_DE.utf8", 1); // a locale with a decimal comma, where installed
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("test_vcl"), nullptr};
    vcl::TApplication app(argc, argv);
    Recording dialogs;
    vcl::SetDialogService(&dialogs);
    bool wentOn = false;
    // A plain Qt event whose handler throws: not one of the kit's own events.
    QTimer::singleShot(0, [] { throw std::runtime_error("Access violation"); });
    QTimer::singleShot(0, [&] {
        wentOn = true;
        app.Terminate();
    });
    app.Run();
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", 1.5);
    vcl::SetDialogService(nullptr);
    if (dialogs.shown != QStringList{"Access violation"})
        return 1;
    if (!wentOn)
        return 2;
    return std::string(number) == "1.5" ? 0 : 4;
}

TEST(ApplicationDeathTest, EscapedExceptionIsShownAndTheProgramGoesOn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(RunApplication()), ::testing::ExitedWithCode(0), "");
}

} // namespace
