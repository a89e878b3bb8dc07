#include "platform/message_queue.h"

#include <algorithm>
#include <iterator>

namespace plat {

bool MessageQueue::TakePosted(MSG* message) {
    if (posted_.empty()) return false;
    *message = posted_.front();
    posted_.pop_front();
    return true;
}

void MessageQueue::Enqueue(const MSG& message) {
    if (message.message == WM_MOUSEMOVE) {
        lastMousePlace_ = message.lParam;
        mouseMoved_ = true;
        events_.erase(std::remove_if(events_.begin(), events_.end(),
                                     [](const MSG& waiting) { return waiting.message == WM_MOUSEMOVE; }),
                      events_.end());
    }
    events_.push_back(message);
}

bool MessageQueue::TakeInput(MSG* message) {
    const auto keyUpTooSoon = [this](const MSG& m) {
        return m.message == WM_KEYUP && m.wParam < 256 && downSinceEmpty_[m.wParam];
    };
    if (events_.empty() || keyUpTooSoon(events_.front())) {
        std::fill(std::begin(downSinceEmpty_), std::end(downSinceEmpty_), false);
        return false;
    }
    *message = events_.front();
    events_.pop_front();
    if (message->message == WM_KEYDOWN && message->wParam < 256) downSinceEmpty_[message->wParam] = true;
    return true;
}

}  // namespace plat
