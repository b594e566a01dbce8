// The POSIX message layer: posts in order, a cross-thread send handled between two messages of the
// owner's loop and before queued posts, a send from the owner as a plain call, and quit.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/posix/msg_queue.h"
#include "runtime/console/prompt_state.h"

namespace {

enum : uint32_t { kSlow = 1000, kFast = 1001, kSent = 1002, kEnd = 100 };

std::vector<uint32_t> logged;   // each handler's start and end (+ kEnd), on the owner thread only
std::thread sender;
intptr_t sendResult;

intptr_t Proc(uint32_t msg, uintptr_t wParam, intptr_t) {
    logged.push_back(msg);
    if (msg == kSlow) {   // a send from another thread meanwhile waits for this handler's end
        sender = std::thread([] { sendResult = MsgSend(kSent, 5, 0); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else if (msg == kFast && wParam == 1) {   // a send from the owner: a plain call, at once
        MsgSend(kSent, 7, 0);
    }
    logged.push_back(msg + kEnd);
    return msg == kSent ? (intptr_t)wParam * 10 : 0;
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
    EXPECT_EQ(logged, (std::vector<uint32_t>{kSlow, kSlow + kEnd, kSent, kSent + kEnd, kFast, kSent,
                                             kSent + kEnd, kFast + kEnd, kFast, kFast + kEnd}));
    EXPECT_EQ(sendResult, 50);
    EXPECT_EQ(code, 3u);
}

}  // namespace
