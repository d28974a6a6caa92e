// Setting up what posts commands: the settings tables of the group families, the register
// polls with their rows and Clean All buttons, the slave-ID pane's handlers.
#include "app/Main.h"
#include "app/SettingsLiveValues.h"
#include "app/ProtectionSettings.h"
#include "app/ReactiveSettings.h"
#include "app/JapanSettings.h"
#include "app/SettingsPolls.h"
#include "app/StorageSettings.h"

using namespace vcl;

void TForm_Main::SetUpCommands()
{
    PollGroups = groups::BuildPollGroups(*this);
    settings::BindTable(settings::PollRowBindings(), Settings);
    settings::BindTable(settings::LiveValueBindings(), Settings);
    settings::BindTable(settings::ProtectionBindings(), Settings);
    settings::BindTable(settings::ReactiveBindings(), Settings);
    settings::BindTable(settings::JapanBindings(), Settings);
    settings::BindTable(settings::StorageBindings(), Settings);
    if (TButton* b = PollGroups[0].CleanAll)
        b->OnClick = Method(this, &TForm_Main::Btn_Poll1CleanAllClick);
    if (TButton* b = PollGroups[1].CleanAll)
        b->OnClick = Method(this, &TForm_Main::Btn_Poll2CleanAllClick);
    if (TButton* b = PollGroups[2].CleanAll)
        b->OnClick = Method(this, &TForm_Main::Btn_Poll3ClearAllClick);
    if (TButton* b = PollGroups[3].CleanAll)
        b->OnClick = Method(this, &TForm_Main::Btn_Poll4ClearAllClick);

    Edit_StartID->OnExit = Method(this, &TForm_Main::Edit_StartIDExit);
    Edit_EndID->OnExit = Method(this, &TForm_Main::Edit_EndIDExit);
    Btn_ScanID->OnClick = Method(this, &TForm_Main::Btn_ScanIDClick);
    TreeView->OnDblClick = Method(this, &TForm_Main::TreeViewDblClick);
    SetUpRecordCommands();
    SetUpFileCommands();
}

void TForm_Main::Btn_Poll1CleanAllClick(TObject*) { groups::CleanAllRows(PollGroups[0]); }
void TForm_Main::Btn_Poll2CleanAllClick(TObject*) { groups::CleanAllRows(PollGroups[1]); }
void TForm_Main::Btn_Poll3ClearAllClick(TObject*) { groups::CleanAllRows(PollGroups[2]); }
void TForm_Main::Btn_Poll4ClearAllClick(TObject*) { groups::CleanAllRows(PollGroups[3]); }

int TForm_Main::ReadPoll01(std::uint8_t stop) { return groups::ReadPoll(Link, PollGroups[0], 0, stop); }
int TForm_Main::ReadPoll02(std::uint8_t stop) { return groups::ReadPoll(Link, PollGroups[1], 1, stop); }
int TForm_Main::ReadPoll03(std::uint8_t stop) { return groups::ReadPoll(Link, PollGroups[2], 2, stop); }
int TForm_Main::ReadPoll04(std::uint8_t stop) { return groups::ReadPoll(Link, PollGroups[3], 3, stop); }
