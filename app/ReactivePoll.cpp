// The window's readers of the reactive and active power groups: each hands the mode's sign
// convention, cos φ step and slope option to its group's reader.
#include "app/Main.h"

groups::ReactiveOptions TForm_Main::ReactiveReaderOptions() const
{
    groups::ReactiveOptions o;
    o.sign = ReactiveSign;
    o.step = CosPhiStep;
    o.slope = ActiveSlopeShow;
    return o;
}

int TForm_Main::ReadReactivePower(std::uint8_t stop)
{
    return groups::ReadReactivePower(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadQofU(std::uint8_t stop)
{
    return groups::ReadQofU(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadCosphiOfP(std::uint8_t stop)
{
    return groups::ReadCosphiOfP(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadExtendCosphiP(std::uint8_t stop)
{
    return groups::ReadExtendCosphiP(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadActivePower(std::uint8_t stop)
{
    return groups::ReadActivePower(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadPofU(std::uint8_t stop) { return groups::ReadPofU(Link, ReactivePanels, *this, stop); }
int TForm_Main::ReadCosphiOfU(std::uint8_t stop)
{
    return groups::ReadCosphiOfU(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadVoltageSuppression(std::uint8_t stop)
{
    return groups::ReadVoltageSuppression(Link, ReactivePanels, *this, stop);
}
int TForm_Main::ReadJapanActivePower(std::uint8_t stop)
{
    return groups::ReadJapanActivePower(Link, ReactivePanels, *this, stop);
}
int TForm_Main::ReadQByNight(std::uint8_t stop) { return groups::ReadQByNight(Link, ReactivePanels, *this, stop); }
int TForm_Main::ReadQofP(std::uint8_t stop)
{
    return groups::ReadQofP(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
int TForm_Main::ReadQofPDaytime(std::uint8_t stop)
{
    return groups::ReadQofPDaytime(Link, ReactivePanels, *this, ReactiveReaderOptions(), stop);
}
