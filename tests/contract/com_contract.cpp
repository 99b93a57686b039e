#include "contract/com_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <thread>
#include <vector>

namespace velk::test {
namespace {

// Each case runs on threads of its own, leaving the test runner's thread alone.

TEST(ComContract, InitializationNestsAndIsUndoneByAsManyCalls) {
    const auto com = MakeCom();
    std::vector<std::int32_t> results;
    std::thread([&] {
        results.push_back(com->Initialize());
        results.push_back(com->Initialize());
        com->Uninitialize();
        com->Uninitialize();
        results.push_back(com->Initialize());
        com->Uninitialize();
    }).join();
    EXPECT_EQ(results, (std::vector<std::int32_t>{kComOk, kComAlreadyInitialized, kComOk}));
}

TEST(ComContract, InitializationBelongsToTheThread) {
    const auto com = MakeCom();
    std::promise<void> firstReady;
    std::promise<void> secondDone;
    std::int32_t first = -1;
    std::int32_t second = -1;
    std::thread firstThread([&] {
        first = com->Initialize();
        firstReady.set_value();
        secondDone.get_future().wait();
        com->Uninitialize();
    });
    std::thread secondThread([&] {
        firstReady.get_future().wait();
        second = com->Initialize();
        com->Uninitialize();
        secondDone.set_value();
    });
    firstThread.join();
    secondThread.join();
    EXPECT_EQ(first, kComOk);
    EXPECT_EQ(second, kComOk);  // not "already initialised" by the other thread
}

}  // namespace
}  // namespace velk::test
