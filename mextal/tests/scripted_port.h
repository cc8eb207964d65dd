#pragma once
// A port object that plays a scripted handset: each command line written to it
// makes its scripted answer chunks readable; it records what was written, the
// time-outs passed to ReadChunk and the Configure calls. It never waits.
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "serlox/serlox.h"

namespace mextal::test {

class ScriptedPort : public CSerloxObj {
public:
    // The answer chunks to one written line (a command line with its CR), for
    // every sending of it; replaces what was scripted for the line before.
    void On(const std::string& line, std::vector<std::string> chunks) { script_[line].assign(1, std::move(chunks)); }
    // The answer to the next sending after those already scripted; the last
    // scripted answer repeats.
    void Then(const std::string& line, std::vector<std::string> chunks) { script_[line].push_back(std::move(chunks)); }
    // A line that gets no answer at all.
    void Silent(const std::string& line) { On(line, {}); }
    // Chunks readable right away.
    void Queue(std::vector<std::string> chunks) {
        for (auto& chunk : chunks) pending_.push_back(std::move(chunk));
    }

    std::vector<std::string> written;
    std::vector<uint32_t> readTimeouts;
    int configureCalls = 0;
    std::vector<PortSettings> configuredWith;
    LinkResult configureResult = LINK_OK;
    // Write fails with this code from the given write on (counting from 0).
    LinkResult writeFailure = LINK_OK;
    size_t failingWrite = 0;

    LinkResult Open(PortSettings) override { return LINK_OK; }
    LinkResult Configure(PortSettings settings, uint32_t purge) override {
        ++configureCalls;
        configuredWith.push_back(settings);
        if (configureResult == LINK_OK && purge != 0) pending_.clear();
        return configureResult;
    }
    LinkResult Close() override { return LINK_OK; }
    int32_t IsOpen() override { return 1; }
    int32_t Spare1(uint32_t, uint32_t) override { return 0; }
    int32_t Spare2(uint32_t, uint32_t, uint32_t) override { return 0; }

    LinkResult ReadChunk(char* buffer, uint32_t capacity, uint32_t* length, uint32_t timeoutMs, uint32_t,
                         uint32_t) override {
        readTimeouts.push_back(timeoutMs);
        *length = 0;
        if (pending_.empty()) return LINK_TIMEOUT;
        std::string chunk = std::move(pending_.front());
        pending_.pop_front();
        if (chunk.size() > capacity) {
            std::memcpy(buffer, chunk.data(), capacity);
            *length = capacity;
            return LINK_TRUNCATED;
        }
        std::memset(buffer, 0, capacity);
        std::memcpy(buffer, chunk.data(), chunk.size());
        *length = static_cast<uint32_t>(chunk.size());
        return LINK_OK;
    }

    LinkResult Write(const char* bytes, uint32_t length, uint32_t, uint32_t) override {
        std::string line(bytes, length);
        written.push_back(line);
        if (writeFailure != LINK_OK && written.size() > failingWrite) return writeFailure;
        auto answers = script_.find(line);
        if (answers == script_.end()) return LINK_OK;
        Queue(answers->second.front());
        if (answers->second.size() > 1) answers->second.pop_front();
        return LINK_OK;
    }

    size_t CountWritten(const std::string& line) const { return std::count(written.begin(), written.end(), line); }

private:
    std::map<std::string, std::deque<std::vector<std::string>>> script_;
    std::deque<std::string> pending_;
};

}  // namespace mextal::test
