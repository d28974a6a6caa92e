// Message-pumping waits: the link's waits for a reply keep the window responsive.
#pragma once

// About 10 ms on the kit's time service; pumps nothing. Returns 1.
int WaitTenMs();
// ms / 10 steps of WaitTenMs, pumping the window messages after each step (none below 10 ms).
// Handlers (clicks, timers) run inside; callers must tolerate state changing meanwhile. Returns 0.
int DelayPumped(int ms);
