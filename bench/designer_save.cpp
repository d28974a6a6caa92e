// Saving the designer's work: a page switch in the designer mode with every group panel on the
// page left (the layout file gets all 127 sections with position), and the close of the window
// in the designer mode (the page's layout, the mode settings and the remembered state). Each is
// what the user waits for with the window frozen.
// Bounds, medians over 9 runs each: the page switch at most 50 ms, the close at most 50 ms.
// Checks: the layout file records every panel on the page, and every save ends without a message.
//   bench_designer_save
#include "Verdict.h"

#include "app/Main.h"
#include "design/GroupPanels.h"
#include "design/ModeState.h"
#include "vcl/IniFile.h"
#include "vcl/Services.h"
#include "vcl/UserDriver.h"

#include "support/Dialogs.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 9;

// Puts every group panel with a layout section on the page shown, in rows of four.
void FillPage(TForm_Main& w, int page)
{
    for (int i = 0; i < design::kLayoutSectionCount; ++i) {
        vcl::TPanel* p = w.GroupPanels[static_cast<size_t>(i)];
        p->SetHeight(p->Tag());
        p->SetLeft(5 + (i % 4) * 310);
        p->SetTop(5 + (i / 4) * 40);
        p->SetParent(w.ScrollPages[static_cast<size_t>(page)]);
        p->SetVisible(true);
    }
}

bool EveryPanelRecorded(const TForm_Main& w, const QString& layout)
{
    const vcl::TIniFile ini(layout);
    const auto table = design::GroupPanels();
    for (int i = 0; i < design::kLayoutSectionCount; ++i) {
        const QString section = QString::fromLatin1(table[static_cast<size_t>(i)].section);
        const int tag = w.GroupPanels[static_cast<size_t>(i)]->Tag();
        if (ini.ReadInteger(section, "Height", 0) != design::EncodePanelHeight(section, tag, tag, true))
            return false;
        if (ini.ReadInteger(section, "Left", -1) != 5 + (i % 4) * 310)
            return false;
    }
    return true;
}

double Ms(const QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Verdict verdict("bench_designer_save");

    QTemporaryDir home, lock;
    if (!testsupport::CopyProgramFolder(home.path())) {
        std::printf("cannot copy the program folder\n");
        return 1;
    }
    qputenv("SUNVANE_HOME", home.path().toUtf8());
    qputenv("SUNVANE_INSTANCE_DIR", lock.path().toUtf8());
    testsupport::ScriptedDialogs dialogs;
    vcl::SetDialogService(&dialogs);
    const QString layout0 = design::SuperUserLayoutPath(home.path(), 0);

    std::vector<double> switches, closes;
    for (int run = 0; run < kRuns; ++run) {
        auto window = std::make_unique<TForm_Main>();
        window->Show();
        vcl::UserDriver user(window.get());
        user.PickText("Combo_SelectMode", design::kSuperUserModeName);
        // A page switch from a page that holds every panel.
        FillPage(*window, 0);
        QElapsedTimer t;
        t.start();
        user.ChooseTab("PageControl", 1);
        switches.push_back(Ms(t));
        verdict.Check(window->CurrentPageIndex == 1, "the page switch reached the second page");
        verdict.Check(EveryPanelRecorded(*window, layout0), "the layout file records every panel on the page left");

        // The close with every panel on the page shown.
        user.ChooseTab("PageControl", 0);
        FillPage(*window, 0);
        t.start();
        window->Close();
        closes.push_back(Ms(t));
        verdict.Check(EveryPanelRecorded(*window, layout0), "the close records every panel of the page shown");
        window.reset();
    }
    verdict.Check(dialogs.TakeShown().isEmpty(), "no save showed a message");

    std::printf("designer saves, %d runs each\n", kRuns);
    verdict.AtMost("page switch saving 127 panels", switches, kRuns, 50, "ms");
    verdict.AtMost("close saving the layout, the mode settings and the remembered state", closes, kRuns, 50, "ms");
    vcl::SetDialogService(nullptr);
    return verdict.Finish();
}
