// Messages that other threads send to this one while it works without a message loop.
#pragma once
#include <windows.h>

// Handles the messages other threads have sent to this thread's windows, and nothing posted:
// no posted message is retrieved, removed or dispatched. Windows takes a thread that has not
// looked at its queue for 5 seconds for hung, ghosts its windows "(Not Responding)" and offers
// to close them; a long file copy calls this after every block and file to show that it is
// still at work. It looks at most every 50 ms, however often it is called.
void HandleSentMessages();
