// The slave-ID pane: the scan range, the scan button, the tree of inverters found and the
// double-click that makes another inverter current.
#include "app/Formwait.h"
#include "app/Main.h"

using namespace vcl;

namespace {

constexpr int kFirstId = 1;
constexpr int kLastId = 254;

const QString kIdRange = QStringLiteral("ID Range 1~254");
const QString kEndBelowStart = QStringLiteral("Error: End ID < Start ID");

bool InRange(int id) { return id >= kFirstId && id <= kLastId; }

} // namespace

void TForm_Main::SetNodeImages(TTreeNode* node, int image)
{
    node->SetImageIndex(image);
    node->SetStateIndex(image);
    node->SetSelectedIndex(image);
}

void TForm_Main::Edit_StartIDExit(TObject*)
{
    if (InRange(StrToIntSafe(Edit_StartID->Text())))
        return;
    MessageBox(kIdRange);
    Edit_StartID->SetText(QStringLiteral("1"));
    Edit_StartID->SelectAll();
}

void TForm_Main::Edit_EndIDExit(TObject*)
{
    const int last = StrToIntSafe(Edit_EndID->Text());
    const int first = StrToIntSafe(Edit_StartID->Text());
    if (!InRange(last)) {
        MessageBox(kIdRange);
        Edit_EndID->SetText(QStringLiteral("32"));
        Edit_EndID->SelectAll();
    } else if (last < first) {
        MessageBox(kEndBelowStart);
        // The corrected end is not tested again; it never goes beyond the last ID (the start may
        // be any number the remembered state held, so it is not added to).
        Edit_EndID->SetText(QString::number(first >= kLastId ? kLastId : first + 1));
        Edit_EndID->SelectAll();
    }
}

void TForm_Main::Btn_ScanIDClick(TObject* Sender)
{
    // While an operation holds the link, only an image load's own rescan (sent by the load
    // button) runs.
    if (Sender != Btn_LoadHEX && RefusedWhileLinkHeld())
        return;
    ForgetRelayAlarmWord();
    if (Link.LinkType == LinkWifi)
        return;
    // The range as the edits hold it now: leaving an edit is not needed to scan, so the button
    // checks it again and scans nothing outside 1..254.
    auto takeRange = [this] {
        const int first = StrToIntSafe(Edit_StartID->Text());
        const int last = StrToIntSafe(Edit_EndID->Text());
        if (!InRange(first) || !InRange(last)) {
            MessageBox(kIdRange);
            return false;
        }
        if (last < first) {
            MessageBox(kEndBelowStart);
            return false;
        }
        Link.ScanFirst = first;
        Link.ScanLast = last;
        return true;
    };
    if (FirmwarePageFlag == 1) {
        // The upgrade page holds the open link: scan at once.
        if (takeRange())
            RebuildTree();
        return;
    }
    if (StopRequest == 1 || !PollRunning) {
        MessageBox(QStringLiteral("Please Connect to Inverters first"));
        return;
    }
    if (takeRange())
        Link.CommandCode = CmdScanIds;
}

void TForm_Main::RebuildTree()
{
    while (IdTreeRoot->Count() > 0)
        IdTreeRoot->Item(IdTreeRoot->Count() - 1)->Delete();
    Link.ScanIds();
    BuildFoundIdList(FoundIdList, Link.IdFound, Link.IdBaudCode);
    BuildIdTree();
    // The inverter under the first ID may be another one than before the scan (a cable moved
    // to another inverter with the same ID): its factors are read afresh.
    RereadScaleFactors();
    ShowPolledInverter();
}

void TForm_Main::ShowPolledInverter()
{
    const bool polled = Link.SlaveId != 0 && Link.LinkType != LinkWifi;
    SetStatusText(0, polled ? QStringLiteral("ID: %1").arg(Link.SlaveId) : QString());
}

void TForm_Main::TreeViewDblClick(TObject*)
{
    if (Link.LinkType == LinkWifi || !IdTreeRoot)
        return;
    TTreeNode* node = TreeView->Selected();
    if (!node || node->Parent() != IdTreeRoot)
        return;
    // Another inverter is chosen only between operations: the one under way keeps its own.
    if (RefusedWhileLinkHeld())
        return;
    for (int i = 0; i < IdTreeRoot->Count(); ++i)
        SetNodeImages(IdTreeRoot->Item(i), 1);
    SetNodeImages(node, 2);

    // The node's place among the IDs found, in ascending order, whatever its text.
    const int position = node->Index();
    int seen = 0;
    for (int id = kFirstId; id <= kLastId; ++id) {
        if (Link.IdFound[id] != id)
            continue;
        if (seen++ == position) {
            Link.SlaveId = static_cast<std::uint8_t>(id);
            SetRateForLink(Link.IdBaudCode[id]);
            RereadScaleFactors();   // the new inverter's version and scale factors next
            ShowPolledInverter();
            break;
        }
    }
    // No value of the previous inverter stays on the window.
    groups::ClearBlueLabels(*this);
    ForgetRelayAlarmWord();
    CountryListInit();
}

void TForm_Main::SetRateForLink(int code)
{
    if (Link.LinkType == LinkRs485)
        Link.SetBaudCode(code);
    else if (Link.LinkType == LinkSub1g)
        Link.SetBaudCode(3);
}

void TForm_Main::SelectFoundEntry(int k)
{
    Link.SlaveId = static_cast<std::uint8_t>(FoundIdList[k] & 0xFF);
    SetRateForLink(FoundIdList[255 + k]);
}

int TForm_Main::TargetCount()
{
    const int count = Link.LinkType == LinkWifi ? 1 : std::clamp(FoundIdList[0], 0, 254);
    if (count == 0)
        MessageBox(QStringLiteral("No inverter to address: scan for inverters first"));
    return count;
}

void TForm_Main::SelectTarget(int k)
{
    if (Link.LinkType == LinkWifi)
        Link.SlaveId = 255;
    else
        SelectFoundEntry(k);
}

void TForm_Main::RestoreSelection(std::uint8_t savedId)
{
    Link.SlaveId = savedId;
    SetRateForLink(Link.IdBaudCode[savedId]);
}
