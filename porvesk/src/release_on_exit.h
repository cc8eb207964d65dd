#pragma once
// Gives a held lock back when the scope that took it ends, also when the scope
// ends in an exception. A null lock means nothing was taken.

namespace porvesk {

template <typename Lock>
class ReleaseOnExit {
public:
    explicit ReleaseOnExit(Lock* held) : held_(held) {}
    ~ReleaseOnExit() {
        if (held_ != nullptr) held_->Release();
    }
    ReleaseOnExit(const ReleaseOnExit&) = delete;
    ReleaseOnExit& operator=(const ReleaseOnExit&) = delete;

private:
    Lock* held_;
};

}  // namespace porvesk
