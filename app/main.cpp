// The program's entry: the application, the main window, and the remote user driver when
// SUNVANE_DRIVER asks for it.
#include "vcl/Kit.h"
#include "vcl/RemoteDriver.h"

using namespace vcl;

namespace {

// The empty shell of the main window, until the real one takes its place. Edit_Shell is its
// one working control: Enter copies the text into Label_Shell and shows it in a message box.
class ShellForm : public TForm {
public:
    ShellForm()
    {
        SetName("Form_Main");
        SetCaption("Sunvane V5.4.2");
        SetBounds(0, 0, 1280, 800);
        auto* label = new TLabel(this);
        label->SetName("Label_Shell");
        label->SetParent(this);
        label->SetBounds(16, 16, 0, 13);
        label->SetCaption("??");
        auto* edit = new TEdit(this);
        edit->SetName("Edit_Shell");
        edit->SetParent(this);
        edit->SetBounds(16, 40, 121, 21);
        edit->OnKeyDown = [label, edit](TObject*, WORD& key, TShiftState) {
            if (key != VK_RETURN)
                return;
            label->SetCaption(edit->Text());
            label->Font()->SetColor(clBlue);
            MessageBox(edit->Text());
        };
        auto* status = new TStatusBar(this);
        status->SetName("StatusBar1");
        status->SetParent(this);
        for (int i = 0; i < 11; ++i)
            status->Panels()->Add()->SetWidth(90);
    }
};

} // namespace

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    app.SetTitle("Sunvane V5.4.2");
    ShellForm form;
    app.SetMainForm(&form);
    auto driver = RemoteDriver::StartFromEnvironment(&form);
    form.Show();
    return app.Run();
}
