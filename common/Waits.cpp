#include "common/Waits.h"

#include "vcl/Services.h"

int WaitTenMs()
{
    vcl::Time().WaitTenMs();
    return 1;
}

int DelayPumped(int ms)
{
    const int steps = ms / 10;
    for (int i = 0; i < steps; ++i) {
        WaitTenMs();
        vcl::ProcessMessages();
    }
    return 0;
}
