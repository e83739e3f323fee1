#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <thread>
#include <vector>

#include "link/UiCallQueue.h"

TEST(UiCallQueueTest, CallsFromAWorkerRunOnTheOwnerInPostingOrder) {
    UiCallQueue queue;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            queue.Post([&order, &threads, i] {
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
    });
    worker.join();
    EXPECT_TRUE(order.empty()) << "nothing runs until the owner's event loop turns";

    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 100; }));
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    for (const std::thread::id id : threads)
        EXPECT_EQ(id, std::this_thread::get_id());
}
