// Exec message ports, and the pool of input messages the window server sends.
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <unordered_map>

#include "windowserver.h"

namespace {

// A server message lives in the pool for good: once replied it waits in a quarantine
// queue before it is used again, so a second reply of it is recognised and only counted.
struct PooledMessage {
    IntuiMessage msg{};
    enum State { Free, Sent } state = Free;
};

struct Pool {
    std::deque<PooledMessage> storage;  // stable addresses
    std::unordered_map<const Message*, PooledMessage*> index;
    std::deque<PooledMessage*> freeQueue;  // oldest replied first
    int doubleReplies = 0;
};

// Replied messages are reused only when this many are waiting, so that a stale pointer
// keeps pointing at a free message for a good while.
constexpr size_t kQuarantine = 256;

Pool& ThePool() {
    static Pool pool;
    return pool;
}

PooledMessage* Pooled(const Message* msg) {
    auto& pool = ThePool();
    auto it = pool.index.find(msg);
    return it == pool.index.end() ? nullptr : it->second;
}

void Unlink(MsgPort* port, Message* msg) {
    Node* node = &msg->mn_Node;
    List& list = port->mp_MsgList;
    if (node->ln_Pred) node->ln_Pred->ln_Succ = node->ln_Succ;
    else list.lh_Head = node->ln_Succ;
    if (node->ln_Succ) node->ln_Succ->ln_Pred = node->ln_Pred;
    else list.lh_Tail = node->ln_Pred;
    node->ln_Succ = node->ln_Pred = nullptr;
}

bool Queued(const MsgPort* port, const Message* msg) {
    for (Node* n = port->mp_MsgList.lh_Head; n; n = n->ln_Succ)
        if (n == &msg->mn_Node) return true;
    return false;
}

void Release(PooledMessage* p) {
    p->state = PooledMessage::Free;
    p->msg.IDCMPWindow = nullptr;
    ThePool().freeQueue.push_back(p);
}

}  // namespace

MsgPort* CreateMsgPort() {
    auto* port = new (std::nothrow) MsgPort{};
    return port;
}

void DeleteMsgPort(MsgPort* port) {
    if (!port) return;
    server::DropMessages(port);
    delete port;
}

void PutMsg(MsgPort* port, Message* msg) {
    if (!port || !msg) return;
    Node* node = &msg->mn_Node;
    node->ln_Succ = nullptr;
    node->ln_Pred = port->mp_MsgList.lh_Tail;
    if (port->mp_MsgList.lh_Tail) port->mp_MsgList.lh_Tail->ln_Succ = node;
    else port->mp_MsgList.lh_Head = node;
    port->mp_MsgList.lh_Tail = node;
}

Message* GetMsg(MsgPort* port) {
    if (!port || !port->mp_MsgList.lh_Head) return nullptr;
    // Node is the first member of Message.
    auto* msg = reinterpret_cast<Message*>(port->mp_MsgList.lh_Head);
    Unlink(port, msg);
    return msg;
}

void ReplyMsg(Message* msg) {
    if (!msg) return;
    if (PooledMessage* p = Pooled(msg)) {
        if (p->state == PooledMessage::Free) {
            ++ThePool().doubleReplies;
            std::fprintf(stderr, "ReplyMsg: message %p (class 0x%lx) replied twice\n", static_cast<void*>(msg),
                         static_cast<unsigned long>(p->msg.Class));
            return;
        }
        // Replied while still queued: take it off its port first so the list stays sound.
        if (Window* w = p->msg.IDCMPWindow; w && server::IsOpen(w) && Queued(w->UserPort, msg))
            Unlink(w->UserPort, msg);
        Release(p);
        return;
    }
    if (msg->mn_ReplyPort) PutMsg(msg->mn_ReplyPort, msg);
}

Message* WaitPort(MsgPort* port) {
    if (!port) return nullptr;
    while (!port->mp_MsgList.lh_Head) {
        if (!server::HandleNextInput(port)) {
            // The display has gone for good; waiting on would never end.
            std::fprintf(stderr, "WaitPort: the display has gone, no more input can come\n");
            std::exit(20);
        }
    }
    return reinterpret_cast<Message*>(port->mp_MsgList.lh_Head);
}

namespace server {

IntuiMessage* NewMessage() {
    auto& pool = ThePool();
    PooledMessage* p;
    if (pool.freeQueue.size() > kQuarantine) {
        p = pool.freeQueue.front();
        pool.freeQueue.pop_front();
    } else {
        p = &pool.storage.emplace_back();
        pool.index[&p->msg.ExecMessage] = p;
    }
    p->msg = IntuiMessage{};
    p->msg.ExecMessage.mn_Length = sizeof(IntuiMessage);
    p->state = PooledMessage::Sent;
    return &p->msg;
}

void DropMessages(MsgPort* port) {
    if (!port) return;
    while (Message* msg = GetMsg(port)) {
        if (PooledMessage* p = Pooled(msg)) {
            if (p->state == PooledMessage::Sent) Release(p);
        }
        // A message of someone else's goes back to its sender.
        else if (msg->mn_ReplyPort && msg->mn_ReplyPort != port) {
            PutMsg(msg->mn_ReplyPort, msg);
        }
    }
}

void ResetMessages() {
    auto& pool = ThePool();
    pool.freeQueue.clear();
    for (auto& p : pool.storage) {
        p.state = PooledMessage::Free;
        p.msg.ExecMessage.mn_Node.ln_Succ = p.msg.ExecMessage.mn_Node.ln_Pred = nullptr;
        pool.freeQueue.push_back(&p);
    }
    pool.doubleReplies = 0;
}

int DoubleReplyCount() { return ThePool().doubleReplies; }

}  // namespace server
