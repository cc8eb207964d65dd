#pragma once
// This test program replaces the global allocation functions so that a test
// can make allocations fail with std::bad_alloc, as when memory runs out.
// Nothing changes while no FailingAllocations object exists.

namespace serlox::test {

class FailingAllocations {
public:
    enum class Where { ThisThread, OtherThreads };

    // From now on every allocation made `where` (as seen from the thread
    // that builds this object) fails, until this object is destroyed.
    explicit FailingAllocations(Where where);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // Allocations refused so far.
    int Refused() const;
};

}  // namespace serlox::test
