#include "support/sent_messages.h"
#include "state/app_state.h"

// Looking at the queue has a cost of its own (under Wine it also pushes changed pixels to the
// screen): a look per small file is more than the system needs to see the thread alive.
enum { SentMessagesIntervalMs = 50 };

void HandleSentMessages()
{
    DWORD now = GetTickCount();
    if (now - AppState.SentMessagesAt < SentMessagesIntervalMs)
        return;
    AppState.SentMessagesAt = now;
    // PM_NOREMOVE leaves every posted message where it is; sent ones are handled by any
    // PeekMessage call, which also tells the system that the thread reads its queue.
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
}
