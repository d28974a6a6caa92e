#include "design/LayoutFile.h"

#include "common/Myfunc.h"
#include "design/ModeState.h"
#include "vcl/IniFile.h"
#include "vcl/Services.h"

#include <QFileInfo>

#include <algorithm>

namespace design {

namespace {

const QString kHeight = QStringLiteral("Height");
const QString kTop = QStringLiteral("Top");
const QString kLeft = QStringLiteral("Left");

int ReadNumber(const vcl::TIniFile& ini, const QString& section, const QString& key)
{
    return StrToIntSafe(ini.ReadString(section, key, QString()));
}

// A position read from the file, held to the page (a signed position, as the designer keeps it).
int ReadPosition(const vcl::TIniFile& ini, const QString& section, const QString& key)
{
    return std::clamp(ReadNumber(ini, section, key), -kPageExtent, kPageExtent);
}

} // namespace

int LoadPageDesign(const QString& path, PanelStates& panels)
{
    if (!QFileInfo(path).isFile())
        return 1;
    const vcl::TIniFile ini(path);
    const auto table = GroupPanels();
    for (int i = 0; i < kLayoutSectionCount; ++i) {
        const QString section = QLatin1StringView(table[i].section);
        PanelState& p = panels[i];
        p.height = DecodePanelHeight(ReadNumber(ini, section, kHeight), section);
        if (p.height != kCollapsedHeight) {
            p.left = ReadPosition(ini, section, kLeft);
            p.top = ReadPosition(ini, section, kTop);
        }
    }
    return 0;
}

int SavePageDesign(const QString& path, const PanelStates& panels, int page)
{
    if (!QFileInfo(path).isFile()) {
        vcl::MessageBox(kMsgNoSettingFileSave);
        return 1;
    }
    vcl::TIniFile ini(path);
    const auto table = GroupPanels();
    auto write = [&ini](const QString& section, const QString& key, int value) {
        return ini.WriteString(section, key, QString::number(value));
    };
    // The keys are written in the order of the sections, then the file once: a large layout
    // must not keep the window waiting, and a failed save leaves the file as it was.
    ini.BeginUpdate();
    bool ok = true;
    for (int i = 0; ok && i < kLayoutSectionCount; ++i) {
        const QString section = QLatin1StringView(table[i].section);
        const PanelState& p = panels[i];
        const int stored = EncodePanelHeight(section, p.height, p.tag, page >= 0 && p.page == page);
        ok = write(section, kHeight, stored);
        if (ok && stored != kCollapsedHeight)
            ok = write(section, kTop, p.top) && write(section, kLeft, p.left);
    }
    if (!ini.EndUpdate() || !ok) {
        vcl::MessageBox(ini.LastError());
        return 2;
    }
    return 0;
}

} // namespace design
