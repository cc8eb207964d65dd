#include "receive_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <set>
#include <string>
#include <thread>

namespace serlox {
namespace {

using namespace std::chrono_literals;

TEST(ReceiveQueue, TakesChunksInArrivalOrderEvenPastDeadline) {
    ReceiveQueue queue;
    queue.Push("A\r\n");
    queue.Push("B\r\n");
    const auto past = ReceiveQueue::Clock::now() - 1s;
    std::string chunk;
    ASSERT_TRUE(queue.TakeUntil(past, chunk));
    EXPECT_EQ(chunk, "A\r\n");
    ASSERT_TRUE(queue.TakeUntil(past, chunk));
    EXPECT_EQ(chunk, "B\r\n");
    EXPECT_FALSE(queue.TakeUntil(past, chunk));
}

TEST(ReceiveQueue, ClearDropsEveryChunk) {
    ReceiveQueue queue;
    queue.Push("A\r\n");
    queue.Clear();
    std::string chunk;
    EXPECT_FALSE(queue.TakeUntil(ReceiveQueue::Clock::now(), chunk));
}

TEST(ReceiveQueue, WaiterWakesForChunkPushedLater) {
    ReceiveQueue queue;
    auto taken = std::async(std::launch::async, [&queue] {
        std::string chunk;
        return queue.TakeUntil(ReceiveQueue::Clock::now() + 60s, chunk) ? chunk : std::string("time-out");
    });
    std::this_thread::sleep_for(20ms);
    queue.Push("OK\r\n");
    ASSERT_EQ(taken.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(taken.get(), "OK\r\n");
}

TEST(ReceiveQueue, WaiterGivesUpOnlyAtItsDeadline) {
    ReceiveQueue queue;
    const auto deadline = ReceiveQueue::Clock::now() + 50ms;
    std::string chunk;
    EXPECT_FALSE(queue.TakeUntil(deadline, chunk));
    // The system's timers may round a wait down by a fraction of a tick.
    EXPECT_GE(ReceiveQueue::Clock::now(), deadline - 2ms);
}

TEST(ReceiveQueue, EveryWaiterGetsOneOfTheChunksPushed) {
    ReceiveQueue queue;
    auto waiter = [&queue] {
        std::string chunk;
        return queue.TakeUntil(ReceiveQueue::Clock::now() + 60s, chunk) ? chunk : std::string("time-out");
    };
    auto first = std::async(std::launch::async, waiter);
    auto second = std::async(std::launch::async, waiter);
    std::this_thread::sleep_for(20ms);
    queue.Push("A\r\n");
    queue.Push("B\r\n");
    ASSERT_EQ(first.wait_for(30s), std::future_status::ready);
    ASSERT_EQ(second.wait_for(30s), std::future_status::ready);
    std::set<std::string> taken = {first.get(), second.get()};
    EXPECT_EQ(taken, (std::set<std::string>{"A\r\n", "B\r\n"}));
}

}  // namespace
}  // namespace serlox
