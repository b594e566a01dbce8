// msg_queue.h: our own small message layer for the POSIX console, the counterpart of the Win32
// message queue: one queue, owned by the console thread, that any thread may post to; a
// cross-thread send that blocks until the owner has handled the message between two messages of
// its loop; get, dispatch to the window procedure, and quit.
#ifndef PLATFORM_POSIX_MSG_QUEUE_H
#define PLATFORM_POSIX_MSG_QUEUE_H

#include <cstdint>

#include "runtime/console/prompt_state.h"

// The console window's messages, with the numbers Windows gives the same messages.
enum : uint32_t {
    kMsgCreate = 1,
    kMsgDestroy = 2,
    kMsgSetFocus = 7,
    kMsgKillFocus = 8,
    kMsgPaint = 15,
    kMsgClose = 16,
    kMsgQuit = 18,
    kMsgKeyDown = 256,
    kMsgChar = 258,
};

struct MsgMessage {
    uint32_t msg;        // kMsg* above
    uintptr_t wParam;
    intptr_t lParam;
};

typedef intptr_t (*MsgWindowProc)(uint32_t msg, uintptr_t wParam, intptr_t lParam);

// The calling thread becomes the queue's owner, and proc its window procedure.
void MsgBindThread(MsgWindowProc proc);
// Appends a message to the queue; returns at once. Any thread.
void MsgPost(uint32_t msg, uintptr_t wParam, intptr_t lParam);
// From the owner thread: calls the window procedure at once. From any other thread: hands the
// message to the owner, which handles it before its next queued message, and blocks until then.
intptr_t MsgSend(uint32_t msg, uintptr_t wParam, intptr_t lParam);
// Owner thread: waits for the next message, handling pending sends while it waits.
// Returns false for the quit message.
bool MsgGet(MsgMessage *out);
intptr_t MsgDispatch(const MsgMessage *m);
// Asks the owner's loop to end: MsgGet returns false once the messages before it are handled.
void MsgPostQuit(int code);
// The POSIX front ends' PromptFrontEnd::send: the console's request sent as its focus message.
void MsgSendRequest(PromptState *ps, PromptRequest request);

#endif
