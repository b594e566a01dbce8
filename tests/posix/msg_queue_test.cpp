// The POSIX message layer: posts in order, a cross-thread send handled between two messages of the
// owner's loop and before queued posts, a send from the owner as a plain call, and quit.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/posix/msg_queue.h"
#include "runtime/console/prompt_state.h"

namespace {

enum : uint32_t { kSlow = 1000, kFast = 1001, kSent = 1002 };

std::mutex logMutex;
std::vector<uint32_t> logged;   // message numbers, in the order the procedure finished them
bool inHandler, overlapped;     // a handler started while another ran (owner thread only)
std::thread sender;
intptr_t sendResult;

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
        inHandler = false;               // a send from the owner is a plain call, handled at once
        result = MsgSend(kSent, 7, 0);
        inHandler = true;
    }
    std::lock_guard<std::mutex> g(logMutex);
    logged.push_back(msg);
    inHandler = false;
    return result;
}

// Runs the loop on a new owner thread until quit; returns what it logged and the quit code.
std::vector<uint32_t> RunLoop(void (*poster)(), uintptr_t *quitCode) {
    logged.clear();
    inHandler = overlapped = false;
    std::thread owner([quitCode] {
        MsgBindThread(Proc);
        MsgMessage m;
        while (MsgGet(&m))
            MsgDispatch(&m);
        *quitCode = m.wParam;
    });
    std::thread other(poster);
    other.join();
    owner.join();
    EXPECT_FALSE(overlapped);
    std::lock_guard<std::mutex> g(logMutex);
    return logged;
}

TEST(MsgQueue, SendsGoBetweenMessagesAndBeforeQueuedPosts) {
    uintptr_t code = 0;
    std::vector<uint32_t> got = RunLoop([] {
        MsgPost(kSlow, 0, 0);
        MsgPost(kFast, 1, 0);
        MsgPost(kFast, 2, 0);
        MsgPostQuit(3);
    }, &code);
    sender.join();
    EXPECT_EQ(got, (std::vector<uint32_t>{kSlow, kSent, kSent, kFast, kFast}));
    EXPECT_EQ(sendResult, 50);
    EXPECT_EQ(code, 3u);
}

}  // namespace
