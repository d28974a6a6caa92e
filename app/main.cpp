// The program's entry: the application, the main window (which keeps the program to one
// running instance), the result and wait windows, and the remote user driver when
// SUNVANE_DRIVER asks for it.
#include "app/Formwait.h"
#include "app/Main.h"
#include "app/Mymessage.h"
#include "app/SingleInstance.h"
#include "vcl/Kit.h"
#include "vcl/RemoteDriver.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <vector>

using namespace vcl;

namespace {

// The main window is thousands of widgets built at once: some 20 MB of small heap blocks, each
// page of them first touched with a page fault of its own, which costs more of the start than
// building the widgets. The heap is therefore grown in one large step and offered huge pages
// (where the system grants them on request), so that it fills with a few faults.
void PrepareHeap()
{
    constexpr std::size_t kPad = 64u << 20;
    constexpr std::uintptr_t kHugePage = 2u << 20;
    mallopt(M_TOP_PAD, static_cast<int>(kPad));
    auto* const start = static_cast<char*>(sbrk(0));
    std::vector<void*> blocks;
    while (static_cast<char*>(sbrk(0)) == start && blocks.size() < 64)
        blocks.push_back(malloc(64u << 10));
    for (void* b : blocks)
        free(b);
    const auto from = (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kHugePage - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

} // namespace

int main(int argc, char** argv)
{
    PrepareHeap();
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
