// Draws the window pictures into resources/window/ (run once after changing a drawing):
//   g++ -std=c++20 -fPIC tools/pictures/*.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/drawpictures
//   QT_QPA_PLATFORM=offscreen /tmp/drawpictures resources/window
#include "Pictures.h"

#include <QGuiApplication>
#include <QString>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    auto save = [&](const char* name, const QPixmap& pm) { return pm.save(dir + "/" + name + ".png") ? 0 : 1; };
    int failed = 0;
    failed += save("SyncClock", pictures::SyncClock(47, 48));
    failed += save("Firmware", pictures::Firmware(47, 48));
    failed += save("DataLog", pictures::DataLog(47, 48));
    failed += save("OpenGridSet", pictures::OpenGridSet(47, 48));
    failed += save("SaveGridSet", pictures::SaveGridSet(47, 48));
    failed += save("ProtocolToStandard", pictures::ProtocolToStandard(47, 48));
    failed += save("ProtocolToNative", pictures::ProtocolToNative(47, 48));
    failed += save("FlagEnglish", pictures::FlagEnglish(30, 20));
    failed += save("FlagGerman", pictures::FlagGerman(30, 20));
    failed += save("FlagFrench", pictures::FlagFrench(30, 20));
    for (int i = 0; i < 3; ++i)
        failed += save(qPrintable(QString("Wait%1").arg(i + 1)), pictures::WaitFrame(i, 257, 265));
    failed += save("TreeRoot", pictures::TreeRoot(16, 16));
    failed += save("TreeInverter", pictures::TreeInverter(16, 16, false));
    failed += save("TreeCurrent", pictures::TreeInverter(16, 16, true));
    // Title bars of the group panels (30 rows, two shades a row), the header band's boxes
    // (70 rows) and the band itself (3000 wide, all rows but the last two).
    failed += save("TitleBar", pictures::Shades(640, 30, 2, 30));
    failed += save("HeaderBox", pictures::Shades(520, 70, 1, 70));
    failed += save("HeaderBand", pictures::Shades(3000, 75, 1, 73));
    failed += save("ResultBackground", pictures::ResultBackground(689, 221));
    return failed;
}
