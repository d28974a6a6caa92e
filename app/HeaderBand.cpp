// The protocol switch of the header band: its two pictures only post their command; the executor
// runs it between two polling cycles. (The grid-setting pictures and the repair button post from
// FileCommands.cpp.)
#include "app/Main.h"

#include "groups/ReaderFrame.h"
#include "link/WalkReport.h"
#include "vcl/Services.h"

using namespace vcl;

namespace {

constexpr int kProtocolRegister = 802;
constexpr int kProtocolSunSpec = 5;
constexpr int kProtocolNative = 0;

} // namespace

void TForm_Main::SetUpHeaderBand()
{
    Image_VantoSun->OnClick = Method(this, &TForm_Main::Image_VantoSunClick);
    Image_SunVanto->OnClick = Method(this, &TForm_Main::Image_SunVantoClick);
    for (TImage* image : {Image_VantoSun, Image_SunVanto}) {
        image->OnMouseEnter = Method(this, &TForm_Main::Image_ProtocolMouseEnter);
        image->OnMouseLeave = Method(this, &TForm_Main::Image_ProtocolMouseLeave);
    }
    GuardHeaderButtons();
}

void TForm_Main::Image_VantoSunClick(TObject*)
{
    if (OpenPort->Enabled()) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    ClaimCommand(CmdProtocolSunSpec, Label_InvProtocol);
}

void TForm_Main::Image_SunVantoClick(TObject*)
{
    if (OpenPort->Enabled()) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    ClaimCommand(CmdProtocolNative, Label_InvProtocol);
}

// Pointing at the protocol picture marks the label it switches.
void TForm_Main::Image_ProtocolMouseEnter(TObject*)
{
    Label_InvProtocol->Font()->SetStyle(fsBold);
}

void TForm_Main::Image_ProtocolMouseLeave(TObject*)
{
    Label_InvProtocol->Font()->SetStyle(TFontStyles{});
}

int TForm_Main::RunProtocolSwitch()
{
    Modbus& m = Link;
    ClaimRuns(m.CommandCode);
    const int value = m.CommandCode == CmdProtocolSunSpec ? kProtocolSunSpec : kProtocolNative;
    m.CommandCode = 0;
    if (Radio_SendSingle->Checked()) {
        if (m.Request(kProtocolRegister, value, 6) != 0)
            return 1;
    } else {
        const std::uint8_t saved = m.SlaveId;
        const int count = TargetCount();
        if (count == 0)
            return 0;
        WalkReport report;
        for (int k = 1; k <= count; ++k) {
            SelectTarget(k);
            // The inverter that failed stays selected, so the user sees which one it was.
            if (m.Request(kProtocolRegister, value, 6) != 0)
                return 1;
            report.Add(m.SlaveId, WriteTaken(m, kProtocolRegister, value, 6));
        }
        RestoreSelection(saved);
        if (report.AnyMissed()) {
            MessageBox(report.Message(QStringLiteral("Protocol switch")));
            return 0;
        }
    }
    MessageBox(QStringLiteral("Check Protocol Please"));
    return 0;
}
