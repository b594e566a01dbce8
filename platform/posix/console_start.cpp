// console_start.cpp: PromptStartThread on POSIX: the console thread, the counterpart of the
// window thread procedure. It picks its front end once (the terminal console when standard input
// and output are both terminals, the line console otherwise), makes the screen buffer, binds the
// message queue to the front end's window procedure, makes and "shows" the window, and runs the
// message loop for the rest of the process's life. When the loop ends (the window was closed) the
// front end releases the rows, gives the terminal back and ends the process with exit code 0.
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include "platform/posix/console_front.h"
#include "platform/posix/msg_queue.h"
#include "runtime/console/prompt.h"

static void ConsoleThread(PromptState *ps, bool terminal) {
    ps->threadId = (uint32_t)syscall(SYS_gettid);
    PromptRowsAlloc(ps);   // the rows, white on black (curFore, curBack), the console lock
    // A terminal that cannot be taken is left as it was, and the program runs as a filter.
    if (terminal && !TermConsoleOpen(ps))
        terminal = false;
    if (!terminal)
        LineConsoleOpen(ps);
    MsgBindThread(terminal ? TermConsoleProc : LineConsoleProc);
    MsgSend(kMsgCreate, 0, 0);
    MsgPost(kMsgPaint, 0, 0);   // showing the window: its first paint lets the program go on

    MsgMessage m;
    while (MsgGet(&m))
        MsgDispatch(&m);

    if (terminal)
        TermConsoleEnd(ps);
    LineConsoleEnd(ps);
}

void PromptStartThread(PromptState *ps) {
    bool terminal = isatty(0) && isatty(1);
    PromptPresetHandOver(ps);
    std::thread(ConsoleThread, ps, terminal).detach();
    PromptWaitWindow(ps);
}
