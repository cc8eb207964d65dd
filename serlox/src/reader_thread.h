#pragma once
// The thread that runs a port's reader. One implementation per platform
// (reader_thread_win32.cpp, reader_thread_posix.cpp).
#include <memory>

namespace serlox {

class ReaderThread {
public:
    using Body = void (*)(void* argument);

    ReaderThread();
    // Waits for a running body to return.
    ~ReaderThread();
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Runs body(argument) on a new thread; false when no thread could be made.
    bool Start(Body body, void* argument);
    bool IsCurrent() const;
    // Waits until the body has returned. Does nothing when no thread was
    // started since the last Join, or when called on the thread itself (a
    // later Join then finishes it).
    void Join();

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace serlox
