#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <memory>
#include <thread>
#include <vector>

#include "platform/qt/QtCompletionDispatcher.h"

namespace {

void ProcessPostedCalls() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

TEST(QtCompletionDispatcherTest, CallsPostedFromADeviceThreadRunInOrderOnTheOwnersThread) {
    QObject owner;
    QtCompletionDispatcher dispatcher(&owner);
    std::vector<int> order;
    std::vector<QThread*> threads;
    std::thread device([&] {
        for (int i = 0; i < 3; ++i) {
            dispatcher.Post([&, i] {
                order.push_back(i);
                threads.push_back(QThread::currentThread());
            });
        }
    });
    device.join();
    EXPECT_TRUE(order.empty());  // nothing runs inside Post
    ProcessPostedCalls();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    for (QThread* thread : threads) EXPECT_EQ(thread, owner.thread());
}

TEST(QtCompletionDispatcherTest, CallsStillQueuedWhenTheDispatcherGoesAreDropped) {
    QObject owner;
    int runs = 0;
    {
        QtCompletionDispatcher dispatcher(&owner);
        std::thread device([&] { dispatcher.Post([&] { ++runs; }); });
        device.join();
    }
    ProcessPostedCalls();
    EXPECT_EQ(runs, 0);
}

}  // namespace
