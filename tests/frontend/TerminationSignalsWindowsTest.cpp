#include "frontend/TerminationSignalsWindows.h"
#include "frontend/TerminationSignals.h"

#include "EventLoop.h"

#include <chrono>
#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <windows.h>

namespace quillmorph {
namespace {

using namespace std::chrono_literals;

// The system calls the handler on a thread of its own; so does the test.
std::future<bool> fromTheSystem(unsigned long event) {
    return std::async(std::launch::async, [event] { return takeConsoleEvent(event); });
}

TEST(TerminationSignalsWindowsTest, CtrlBreakIsReceivedOnTheOwnersThreadAndASecondEventIsNot) {
    const TerminationSignals stop;
    std::optional<int> received;
    QObject::connect(&stop, &TerminationSignals::received, [&](int number) { received = number; });
    EXPECT_EQ(TerminationSignals::caught(), 0);
    EXPECT_TRUE(fromTheSystem(CTRL_BREAK_EVENT).get());
    EXPECT_EQ(TerminationSignals::caught(), SIGBREAK);
    EXPECT_FALSE(received) << "delivered on the handler's thread";
    ASSERT_TRUE(test::runEventsUntil([&] { return received.has_value(); }, 5000));
    EXPECT_EQ(*received, SIGBREAK);
    EXPECT_FALSE(fromTheSystem(CTRL_C_EVENT).get());
    EXPECT_EQ(TerminationSignals::caught(), SIGBREAK);
}

// Closing the console: the process lives on while the owner finishes, as long as the system lets
// it.
TEST(TerminationSignalsWindowsTest, ClosingWaitsForTheOwnerToGo) {
    auto stop = std::make_unique<TerminationSignals>();
    std::optional<int> received;
    QObject::connect(stop.get(), &TerminationSignals::received,
                     [&](int number) { received = number; });
    std::future<bool> handler = fromTheSystem(CTRL_CLOSE_EVENT);
    ASSERT_TRUE(test::runEventsUntil([&] { return received.has_value(); }, 5000));
    EXPECT_EQ(*received, SIGTERM);
    EXPECT_EQ(handler.wait_for(200ms), std::future_status::timeout);
    stop.reset();
    ASSERT_EQ(handler.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(handler.get());
}

} // namespace
} // namespace quillmorph
