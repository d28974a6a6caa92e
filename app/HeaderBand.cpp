// The picture buttons of the header band that act on the inverters: the protocol switch, the
// grid-setting save and load behind the service code, and the on-site repair button of its
// panel. Each only posts its command; the executor runs it between two polling cycles.
#include "app/Main.h"

#include "groups/ReaderFrame.h"
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
    Image_SaveGridSet->OnClick = Method(this, &TForm_Main::Image_SaveGridSetClick);
    Image_OpenGridSet->OnClick = Method(this, &TForm_Main::Image_OpenGridSetClick);

    // The repair panel's one button; the panel's other controls belong to the repair record.
    Btn_OnSiteRepair = dynamic_cast<TButton*>(FindComponent(QStringLiteral("Btn_OnSiteRepair")));
    if (!Btn_OnSiteRepair) {
        if (auto* panel = groups::FindPanel(*this, QStringLiteral("Group_OnSiteRepair"))) {
            Btn_OnSiteRepair = new TButton(this);
            Btn_OnSiteRepair->SetName(QStringLiteral("Btn_OnSiteRepair"));
            Btn_OnSiteRepair->SetParent(panel);
            Btn_OnSiteRepair->SetCaption(QStringLiteral("RUN"));
            Btn_OnSiteRepair->SetBounds(10, groups::kFirstRowTop, 80, 26);
        }
    }
    if (Btn_OnSiteRepair && !Btn_OnSiteRepair->OnClick)
        Btn_OnSiteRepair->OnClick = Method(this, &TForm_Main::Btn_OnSiteRepairClick);
}

void TForm_Main::Image_VantoSunClick(TObject*)
{
    Link.CommandCode = CmdProtocolSunSpec;
    Label_InvProtocol->Font()->SetColor(clRed);
}

void TForm_Main::Image_SunVantoClick(TObject*)
{
    Link.CommandCode = CmdProtocolNative;
    Label_InvProtocol->Font()->SetColor(clRed);
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

void TForm_Main::Image_SaveGridSetClick(TObject*)
{
    if (CheckServicePassword() == 1)
        Link.CommandCode = CmdSaveGridSettings;
}

void TForm_Main::Image_OpenGridSetClick(TObject*)
{
    if (CheckServicePassword() == 1)
        Link.CommandCode = CmdLoadGridSettings;
}

void TForm_Main::Btn_OnSiteRepairClick(TObject*)
{
    Link.CommandCode = CmdOnSiteRepair;
}

int TForm_Main::RunProtocolSwitch()
{
    Modbus& m = Link;
    const int value = m.CommandCode == CmdProtocolSunSpec ? kProtocolSunSpec : kProtocolNative;
    m.CommandCode = 0;
    if (Radio_SendSingle->Checked()) {
        if (m.Request(kProtocolRegister, value, 6) != 0)
            return 1;
    } else {
        const std::uint8_t saved = m.SlaveId;
        const int count = std::clamp(FoundIdList[0], 0, 254);
        for (int k = 1; k <= count; ++k) {
            SelectFoundEntry(k);
            // The inverter that failed stays selected, so the user sees which one it was.
            if (m.Request(kProtocolRegister, value, 6) != 0)
                return 1;
        }
        RestoreSelection(saved);
    }
    MessageBox(QStringLiteral("Check Protocol Please"));
    return 0;
}
