#include "support/sent_messages.h"
#include "state/app_state.h"

// Under Wine each look at the queue also pushes the windows' changed pixels to the screen,
// which costs about a millisecond; a look every few small files would slow the copy by a third.
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
