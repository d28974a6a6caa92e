// The pending-command executor's frame: the command posted into the mailbox runs between two
// polling cycles. Commands are dropped until the executor knows them.
#include "app/Main.h"

int TForm_Main::ExecutePendingCommand()
{
    Link.CommandCode = 0;
    return 0;
}
