#include "reader_thread.h"

#include <exception>
#include <thread>

namespace serlox {

struct ReaderThread::State {
    std::thread thread;
};

ReaderThread::ReaderThread() : state_(std::make_unique<State>()) {}

ReaderThread::~ReaderThread() { Join(); }

bool ReaderThread::Start(Body body, void* argument) {
    try {
        state_->thread = std::thread(body, argument);
    } catch (const std::exception&) {  // no thread, or no memory for its state
        return false;
    }
    return true;
}

bool ReaderThread::IsCurrent() const { return state_->thread.get_id() == std::this_thread::get_id(); }

void ReaderThread::Join() {
    if (state_->thread.joinable() && !IsCurrent()) state_->thread.join();
}

}  // namespace serlox
