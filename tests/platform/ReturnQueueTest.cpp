#include "platform/audio/ReturnQueue.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Notes its deletion in a shared log, so that what came back, and in which order, is visible.
struct Returned
{
    Returned(int id, std::vector<int>& deleted)
        : id(id)
        , deleted(deleted)
    {}

    ~Returned() { deleted.push_back(id); }

    int id;
    std::vector<int>& deleted;
};

// Room for two in the queue and two in the stash: the fifth retired before a release has
// nowhere to go.
using SmallReturnQueue = ReturnQueue<Returned, 2, 2>;

} // namespace

TEST(ReturnQueueTest, AFullQueueGoesToTheStashAndItsOverflowIsCountedAndReportedOnce)
{
    std::vector<int> deleted;
    std::vector<Returned*> made;
    for (int id = 1; id <= 6; ++id)
        made.push_back(new Returned(id, deleted));
    {
        SmallReturnQueue queue("test objects");

        // One audio block retires five (and a null, which is nothing) while the UI stalls.
        for (int i = 0; i < 5; ++i)
            queue.retire(made[static_cast<std::size_t>(i)]);
        queue.retire(nullptr);
        EXPECT_EQ(queue.unreturned(), 1u);

        std::vector<int> seen;
        testing::internal::CaptureStderr();
        EXPECT_EQ(queue.release([&](const Returned& item) {
            seen.push_back(item.id);
        }),
            2u);
        const std::string report = testing::internal::GetCapturedStderr();
        EXPECT_EQ(seen, (std::vector<int> { 1, 2 }));
        EXPECT_EQ(deleted, (std::vector<int> { 1, 2 }));
        EXPECT_NE(report.find("1 test objects"), std::string::npos) << report;

        // The next block moves the stash into the queue before anything it retires itself, so
        // the order holds.
        queue.flushStash();
        queue.retire(made[5]);
        testing::internal::CaptureStderr();
        EXPECT_EQ(queue.release(), 2u);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "reported once";
        EXPECT_EQ(deleted, (std::vector<int> { 1, 2, 3, 4 }));

        // The sixth found the queue full and waits in the stash: the destructor takes it.
        EXPECT_EQ(queue.unreturned(), 1u);
    }
    EXPECT_EQ(deleted, (std::vector<int> { 1, 2, 3, 4, 6 }));
    delete made[4]; // the one counted: never touched again by the queue
    EXPECT_EQ(deleted.back(), 5);
}

TEST(ReturnQueueTest, TheStashEmptiesAtTheNextBlockAlsoWhenNothingMoreIsRetired)
{
    std::vector<int> deleted;
    SmallReturnQueue queue("test objects");
    for (int id = 1; id <= 4; ++id)
        queue.retire(new Returned(id, deleted));
    EXPECT_EQ(queue.release(), 2u);
    // Nothing waits for a block of the audio thread's: until one comes the stash stays.
    EXPECT_EQ(queue.release(), 0u);
    queue.flushStash();
    EXPECT_EQ(queue.release(), 2u);
    EXPECT_EQ(deleted, (std::vector<int> { 1, 2, 3, 4 }));
    EXPECT_EQ(queue.unreturned(), 0u);
}
