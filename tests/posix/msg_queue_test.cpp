// The POSIX message layer: order of posts, cross-thread sends handled between two messages of
// the owner's loop, sends from the owner as plain calls, and quit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/posix/msg_queue.h"
#include "runtime/console/prompt_state.h"

namespace {

enum : uint32_t { kSlow = 1000, kFast = 1001, kSent = 1002, kStartSender = 1003 };

std::mutex logMutex;
std::vector<uint32_t> logged;   // message numbers, in the order the procedure finished them
bool inHandler;                 // the procedure is running a handler (owner thread only)
bool sendOverlapped;            // a handler started while another was running

std::vector<uint32_t> Logged() {
    std::lock_guard<std::mutex> g(logMutex);
    return logged;
}

std::thread sender;
intptr_t sendResult;

intptr_t Proc(uint32_t msg, uintptr_t wParam, intptr_t) {
    if (inHandler)
        sendOverlapped = true;
    inHandler = true;
    intptr_t result = 0;
    if (msg == kStartSender) {
        // A send from another thread while this handler runs waits for the handler's end.
        sender = std::thread([] { sendResult = MsgSend(kSent, 5, 0); });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else if (msg == kSent) {
        result = (intptr_t)wParam * 10;
    } else if (msg == kFast && wParam == 1) {
        result = MsgSend(kSent, 7, 0);   // from the owner: a plain call, handled inside
        inHandler = true;
    }
    {
        std::lock_guard<std::mutex> g(logMutex);
        logged.push_back(msg);
    }
    inHandler = false;
    return result;
}

// Clears the log, then runs the loop on a new owner thread; *quitCode gets the quit code.
std::thread RunLoop(uintptr_t *quitCode) {
    {
        std::lock_guard<std::mutex> g(logMutex);
        logged.clear();
        inHandler = sendOverlapped = false;
    }
    return std::thread([quitCode] {
        MsgBindThread(Proc);
        MsgMessage m;
        while (MsgGet(&m))
            MsgDispatch(&m);
        *quitCode = m.wParam;
    });
}

TEST(MsgQueue, SendWaitsForTheRunningHandlerAndGoesBeforeQueuedPosts) {
    MsgPost(kStartSender, 0, 0);
    MsgPost(kFast, 0, 0);
    MsgPost(kFast, 2, 0);
    MsgPostQuit(3);
    uintptr_t code = 0;
    std::thread owner = RunLoop(&code);
    owner.join();
    sender.join();
    EXPECT_EQ(Logged(), (std::vector<uint32_t>{kStartSender, kSent, kFast, kFast}));
    EXPECT_EQ(sendResult, 50);
    EXPECT_FALSE(sendOverlapped);
    EXPECT_EQ(code, 3u);
}

TEST(MsgQueue, SendFromTheOwnerIsAPlainCall) {
    MsgPost(kFast, 1, 0);
    MsgPostQuit(0);
    uintptr_t code = 9;
    std::thread owner = RunLoop(&code);
    owner.join();
    // The inner send finished before the outer handler did.
    EXPECT_EQ(Logged(), (std::vector<uint32_t>{kSent, kFast}));
    EXPECT_EQ(code, 0u);
}

TEST(MsgQueue, ManyPostsFromAnotherThreadKeepTheirOrder) {
    uintptr_t code = 0;
    std::thread owner = RunLoop(&code);
    std::thread poster([] {
        for (uint32_t i = 0; i < 1000; i++)
            MsgPost(2000 + i, 0, 0);
        EXPECT_EQ(MsgSend(kSent, 1, 0), 10);   // may overtake posts still queued
        MsgPostQuit(4);
    });
    poster.join();
    owner.join();
    std::vector<uint32_t> got = Logged(), posts(1000);
    ASSERT_EQ(got.size(), 1001u);
    got.erase(std::remove(got.begin(), got.end(), (uint32_t)kSent), got.end());
    for (uint32_t i = 0; i < 1000; i++)
        posts[i] = 2000 + i;
    EXPECT_EQ(got, posts);
    EXPECT_EQ(code, 4u);
}

}  // namespace
