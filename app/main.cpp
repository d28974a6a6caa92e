// The program's entry: the application, the main window (which keeps the program to one
// running instance), the result and wait windows, and the remote user driver when
// SUNVANE_DRIVER asks for it.
#include "app/Formwait.h"
#include "app/Main.h"
#include "app/Mymessage.h"
#include "app/SingleInstance.h"
#include "vcl/Kit.h"
#include "vcl/RemoteDriver.h"

#include <memory>

using namespace vcl;

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    auto mainForm = std::make_unique<TForm_Main>();
    if (mainForm->InstanceRefused()) {
        // The running program has been raised; this one shows only the word that it runs.
        SingleInstance::SayAlreadyRunning(mainForm->Caption());
        return 0;
    }
    app.SetMainForm(mainForm.get());
    auto message = std::make_unique<TForm_Message>();
    auto wait = std::make_unique<TForm_wait>();
    auto driver = RemoteDriver::StartFromEnvironment(mainForm.get());
    mainForm->Show();
    const int result = app.Run();
    driver.reset();
    wait.reset();
    message.reset();
    mainForm.reset();
    return result;
}
