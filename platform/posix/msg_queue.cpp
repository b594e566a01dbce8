// msg_queue.cpp: the POSIX message layer: one message queue owned by the thread that bound it
// (the console thread), posts from any thread, cross-thread sends, get, dispatch and quit.
//
// Invariants, all under the layer's mutex:
//   - posted messages are handled in the order they were posted; the quit message is one of them,
//     so MsgGet returns false only after every message posted before it;
//   - a cross-thread send waits on the pending-send list until the owner takes it up inside
//     MsgGet, that is between two messages of its loop, never in the middle of a handler; pending
//     sends go before posted messages, in the order they were sent;
//   - the sender's record lives on the sender's stack; the owner writes its result and sets done
//     under the mutex and never touches it again, so the sender may return as soon as it sees done.
// A send to a loop that has ended, or before any thread has bound the queue, waits for ever: in
// this program the end of the loop ends the process.
#include "platform/posix/msg_queue.h"

#include <assert.h>
#include <pthread.h>

#include "runtime/core/plat_core.h"
#include "runtime/console/prompt_state.h"

enum { kMsgRingStart = 64 };   // posted messages held at first; the ring doubles when full

struct MsgSendRecord {
    MsgMessage m;
    intptr_t result;
    bool done;
    MsgSendRecord *next;
};

static struct {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t wake = PTHREAD_COND_INITIALIZER;   // owner: a post or a send arrived
    pthread_cond_t done = PTHREAD_COND_INITIALIZER;   // senders: a send was handled
    bool bound = false;
    pthread_t owner{};
    MsgWindowProc proc = nullptr;
    MsgMessage *ring = nullptr;         // posted messages: ring[head .. head + count - 1] (mod capacity)
    uint32_t capacity = 0;
    uint32_t head = 0;
    uint32_t count = 0;
    MsgSendRecord *sendFirst = nullptr;   // pending sends, oldest first
    MsgSendRecord *sendLast = nullptr;
} q;

static bool OnOwnerThread() {
    return q.bound && pthread_equal(q.owner, pthread_self());
}

void MsgBindThread(MsgWindowProc proc) {
    pthread_mutex_lock(&q.mutex);
    q.owner = pthread_self();
    q.proc = proc;
    q.bound = true;   // messages posted or sent before this wait for the owner's first MsgGet
    pthread_mutex_unlock(&q.mutex);
}

// Makes room for one more posted message. A post never waits, so the owner may post to itself.
static void RingGrow() {
    uint32_t grown = q.capacity ? q.capacity * 2 : (uint32_t)kMsgRingStart;
    MsgMessage *ring = (MsgMessage *)PlatAlloc((size_t)grown * sizeof(MsgMessage));
    for (uint32_t i = 0; i < q.count; i++)
        ring[i] = q.ring[(q.head + i) % q.capacity];
    PlatFree(q.ring);
    q.ring = ring;
    q.capacity = grown;
    q.head = 0;
}

void MsgPost(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    pthread_mutex_lock(&q.mutex);
    if (q.count == q.capacity)
        RingGrow();
    q.ring[(q.head + q.count) % q.capacity] = MsgMessage{msg, wParam, lParam};
    q.count++;
    pthread_cond_signal(&q.wake);
    pthread_mutex_unlock(&q.mutex);
}

intptr_t MsgSend(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    pthread_mutex_lock(&q.mutex);
    if (OnOwnerThread()) {
        MsgWindowProc proc = q.proc;
        pthread_mutex_unlock(&q.mutex);
        return proc(msg, wParam, lParam);
    }
    MsgSendRecord r = {MsgMessage{msg, wParam, lParam}, 0, false, nullptr};
    if (q.sendLast)
        q.sendLast->next = &r;
    else
        q.sendFirst = &r;
    q.sendLast = &r;
    pthread_cond_signal(&q.wake);
    while (!r.done)
        pthread_cond_wait(&q.done, &q.mutex);
    intptr_t result = r.result;
    pthread_mutex_unlock(&q.mutex);
    return result;
}

bool MsgGet(MsgMessage *out) {
    pthread_mutex_lock(&q.mutex);
    assert(OnOwnerThread());
    for (;;) {
        // Sends first: each one is handled outside the mutex, then its sender is woken.
        while (q.sendFirst) {
            MsgSendRecord *r = q.sendFirst;
            q.sendFirst = r->next;
            if (!q.sendFirst)
                q.sendLast = nullptr;
            MsgWindowProc proc = q.proc;
            MsgMessage m = r->m;
            pthread_mutex_unlock(&q.mutex);
            intptr_t result = proc(m.msg, m.wParam, m.lParam);
            pthread_mutex_lock(&q.mutex);
            r->result = result;
            r->done = true;
            pthread_cond_broadcast(&q.done);
        }
        if (q.count > 0)
            break;
        pthread_cond_wait(&q.wake, &q.mutex);
    }
    *out = q.ring[q.head];
    q.head = (q.head + 1) % q.capacity;
    q.count--;
    bool quit = out->msg == kMsgQuit;
    if (quit)
        q.bound = false;   // the loop ends: sends from now on wait for a new owner
    pthread_mutex_unlock(&q.mutex);
    return !quit;
}

intptr_t MsgDispatch(const MsgMessage *m) {
    pthread_mutex_lock(&q.mutex);
    MsgWindowProc proc = q.proc;
    pthread_mutex_unlock(&q.mutex);
    return proc(m->msg, m->wParam, m->lParam);
}

void MsgPostQuit(int code) {
    MsgPost(kMsgQuit, (uintptr_t)(intptr_t)code, 0);
}

void MsgSendRequest(PromptState *, PromptRequest request) {
    MsgSend(request == kPromptFocusIn ? kMsgSetFocus : kMsgKillFocus, 0, 0);
}
