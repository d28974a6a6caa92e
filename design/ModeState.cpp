#include "design/ModeState.h"

#include "common/Myfunc.h"

#include <QDir>

namespace design {

QString ModeFolderPath(const QString& programFolder, const QString& modeName)
{
    return QDir(programFolder).filePath(modeName);
}

QString ModeSettingsPath(const QString& modeFolder)
{
    return QDir(modeFolder).filePath(kModeSettingsFileName);
}

QString LayoutPath(const QString& modeFolder, int layoutNumber)
{
    return QDir(modeFolder).filePath(QStringLiteral("MonitorSet%1.RQX").arg(layoutNumber));
}

QString FactoryLayoutPath(const QString& programFolder, int page)
{
    return LayoutPath(QDir(programFolder).filePath(QStringLiteral("SuperUser/Init")), page);
}

QString SuperUserLayoutPath(const QString& programFolder, int page)
{
    return LayoutPath(QDir(programFolder).filePath(kSuperUserModeName), page);
}

QString PreviousSetPath(const QString& programFolder)
{
    return QDir(QDir(programFolder).filePath(kProfileFolderName)).filePath(kPreviousSetFileName);
}

int AccessCodeIndex(const QString& text)
{
    for (int i = 0; i < static_cast<int>(kAccessCodes.size()); ++i)
        if (text == kAccessCodes[i])
            return i;
    return -1;
}

int LayoutNumberForTab(int tabIndex, bool superUserMode, const QString& rememberedPassword)
{
    if (tabIndex < 0 || tabIndex >= LayoutTabCount(superUserMode))
        return -1;
    if (superUserMode || tabIndex == 0)
        return tabIndex;
    const int code = AccessCodeIndex(rememberedPassword);
    if (code < 0)
        return -1;
    return 2 * code + tabIndex; // code 0: 1/2, code 1: 3/4, code 2: 5/6
}

QString TabCaption(int page, bool superUserMode)
{
    static const char* const kWords[] = {"Main", "Config", "Ctrl"};
    if (page == 0)
        return QStringLiteral("Main");
    if (page < 0 || page > 6)
        return QString();
    const QString word = QLatin1StringView(kWords[(page - 1) % 2 + 1]);
    if (superUserMode)
        return word + kAccessCodes[(page - 1) / 2];
    if (page <= 2)
        return word;
    // Design captions of the tabs an ordinary mode hides.
    return word + kAccessCodes[(page - 1) / 2];
}

bool FactoryReloadAllowed(int selectedTabIndex, int visibleLayoutTabs, int currentPageIndex)
{
    return currentPageIndex >= 0 && currentPageIndex < visibleLayoutTabs
        && selectedTabIndex == currentPageIndex;
}

QStringList OfferedModeNames(const QString& programFolder)
{
    QString names[20];
    ListModeFoldersIn(programFolder, names);
    QStringList offered;
    for (const QString& name : names)
        if (IsOfferedModeName(name))
            offered << name;
    return offered;
}

} // namespace design
