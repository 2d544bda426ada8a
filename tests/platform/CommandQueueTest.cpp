#include "platform/audio/CommandQueue.h"

#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<int> popAll(CommandQueue<int, 2>& queue)
{
    std::vector<int> popped;
    while (auto command = queue.pop())
        popped.push_back(*command);
    return popped;
}

} // namespace

TEST(CommandQueueTest, CommandsThatFindTheQueueFullFollowInTheOrderSent)
{
    CommandQueue<int, 2> queue;
    for (int command = 1; command <= 5; ++command)
        queue.send(command);
    EXPECT_EQ(queue.waiting(), 3u);

    // Room made by the consumer does not let a later command overtake the waiting ones.
    EXPECT_EQ(popAll(queue), (std::vector<int> { 1, 2 }));
    queue.send(6);
    EXPECT_EQ(popAll(queue), (std::vector<int> { 3, 4 }));
    queue.flush();
    EXPECT_EQ(popAll(queue), (std::vector<int> { 5, 6 }));
    EXPECT_EQ(queue.waiting(), 0u);
}

TEST(CommandQueueTest, DropWaitingLeavesTheQueuedOnesAndTakeAllHandsOverTheRestInOrder)
{
    CommandQueue<int, 2> queue;
    for (int command = 1; command <= 6; ++command)
        queue.send(command);
    // 1 and 2 are in the queue already: only the waiting even ones go.
    queue.dropWaiting([](int command) {
        return command % 2 == 0;
    });
    std::vector<int> taken;
    queue.takeAll([&](int command) {
        taken.push_back(command);
    });
    EXPECT_EQ(taken, (std::vector<int> { 1, 2, 3, 5 }));
    EXPECT_FALSE(queue.pop());
    EXPECT_EQ(queue.waiting(), 0u);
}
