// The POSIX message layer: posts in order, a cross-thread send handled between two messages of the
// owner's loop and before queued posts, a send from the owner as a plain call, and quit.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/posix/msg_queue.h"
#include "runtime/console/prompt_state.h"

namespace {

enum : uint32_t { kSlow = 1000, kFast = 1001, kSent = 1002 };

std::vector<uint32_t> logged;   // message numbers, in the order the procedure finished them
bool inHandler, overlapped;     // a handler started while another ran
std::thread sender;
intptr_t sendResult;

// The procedure runs on the owner thread only, so its records need no lock.
intptr_t Proc(uint32_t msg, uintptr_t wParam, intptr_t) {
    overlapped |= inHandler;
    inHandler = true;
    intptr_t result = 0;
    if (msg == kSlow) {   // a send from another thread meanwhile waits for this handler's end
        sender = std::thread([] { sendResult = MsgSend(kSent, 5, 0); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else if (msg == kSent) {
        result = (intptr_t)wParam * 10;
    } else if (msg == kFast && wParam == 1) {
        inHandler = false;   // a send from the owner is a plain call, handled at once
        result = MsgSend(kSent, 7, 0);
        inHandler = true;
    }
    logged.push_back(msg);
    inHandler = false;
    return result;
}

TEST(MsgQueue, SendsGoBetweenMessagesAndBeforeQueuedPosts) {
    uintptr_t code = 0;
    std::thread owner([&code] {
        MsgBindThread(Proc);
        MsgMessage m;
        while (MsgGet(&m))
            MsgDispatch(&m);
        code = m.wParam;
    });
    std::thread poster([] {
        MsgPost(kSlow, 0, 0);
        MsgPost(kFast, 1, 0);
        MsgPost(kFast, 2, 0);
        MsgPostQuit(3);
    });
    poster.join();
    owner.join();
    sender.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(logged, (std::vector<uint32_t>{kSlow, kSent, kSent, kFast, kFast}));
    EXPECT_EQ(sendResult, 50);
    EXPECT_EQ(code, 3u);
}

}  // namespace
