#pragma once
// Cuts the received byte stream into line chunks: one chunk is one line with
// its CR LF. An empty line (a bare CR LF) is not a chunk of its own; it stays
// in front of the next line. A line longer than the buffer is cut into
// buffer-sized pieces.
#include <cstddef>
#include <string>
#include <vector>

namespace serlox {

class LineAssembler {
public:
    static constexpr size_t kCapacity = 2048;

    // Appends the bytes and adds every chunk they complete to `chunks`.
    void Feed(const char* bytes, size_t count, std::vector<std::string>& chunks);
    // Throws away a partly assembled line.
    void Reset() { fill_ = 0; }
    size_t Pending() const { return fill_; }

private:
    bool LineComplete() const;

    char buffer_[kCapacity] = {};
    size_t fill_ = 0;
};

}  // namespace serlox
