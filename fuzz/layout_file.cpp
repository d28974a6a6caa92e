// The INI files of the program folder from any bytes: a page layout, the mode settings and the
// remembered state are loaded; one input in sixteen is also saved and loaded again (a save writes
// hundreds of keys, each straight to the file: slow). A layout saved must read back as it was:
// every panel that stood on the page stands there again, at its place; every other one is
// collapsed.
#include "FuzzFiles.h"

#include "design/LayoutFile.h"
#include "design/ModeSettings.h"
#include "design/PreviousSet.h"

using namespace design;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString layout = fuzzfiles::Put(QStringLiteral("MonitorSet3.RQX"), data, size);
    PanelStates panels = InitialPanelStates();
    if (LoadPageDesign(layout, panels) != 0)
        __builtin_trap();
    const bool roundTrip = size % 16 == 0;
    for (PanelState& p : panels)
        p.page = 3;
    if (roundTrip && SavePageDesign(layout, panels, 3) != 0)
        __builtin_trap();
    PanelStates again = InitialPanelStates();
    if (LoadPageDesign(layout, again) != 0)
        __builtin_trap();
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        const PanelState& was = panels[static_cast<std::size_t>(i)];
        const PanelState& now = again[static_cast<std::size_t>(i)];
        if (!roundTrip) {
            if (now.height != was.height)
                __builtin_trap();   // the same file reads the same twice
        } else if (was.height == was.tag) {
            if (now.height != now.tag || now.left != was.left || now.top != was.top)
                __builtin_trap();
        } else if (now.height != kCollapsedHeight) {
            __builtin_trap();
        }
    }

    const QString settings = fuzzfiles::Put(QStringLiteral("MonitorSet.RQX"), data, size);
    ModeSettings s;
    if (LoadMonitorSet(settings, s) != 0 || (roundTrip && SaveMonitorSet(settings, s, 1) != 0))
        __builtin_trap();
    ModeSettings t;
    LoadMonitorSet(settings, t);
    for (std::size_t d = 0; d < s.poll.size(); ++d)
        for (std::size_t r = 0; r < s.poll[d].size(); ++r)
            if (s.poll[d][r].type != t.poll[d][r].type || s.poll[d][r].addr != t.poll[d][r].addr || s.poll[d][r].value != t.poll[d][r].value)
                __builtin_trap();

    const QString previous = fuzzfiles::Put(QStringLiteral("PreviousSet.RQX"), data, size);
    PreviousSet p;
    if (LoadPreviousSet(previous, p) != 0 || (roundTrip && SavePreviousSet(previous, p) != 0))
        __builtin_trap();
    PreviousSet q;
    LoadPreviousSet(previous, q);
    if (q.idFound != p.idFound || q.idBaudCode != p.idBaudCode || q.languageIndex != p.languageIndex)
        __builtin_trap();
    return 0;
}
