#include "platform/StopSignals.h"

#include <QSignalSpy>
#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using tavimo::platform::StopSignals;

namespace {

std::atomic<int> earlierHandlerCalls{0};
extern "C" void earlierHandler(int) {
    earlierHandlerCalls.fetch_add(1);
}

} // namespace

TEST(StopSignals, EachStopSignalReachesTheEventLoopAndTheEarlierHandlersComeBack) {
    struct sigaction earlier {};
    earlier.sa_handler = earlierHandler;
    sigemptyset(&earlier.sa_mask);
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ASSERT_EQ(::sigaction(number, &earlier, nullptr), 0);
    {
        StopSignals stop;
        ASSERT_TRUE(stop.isListening());
        EXPECT_FALSE(stop.hasReceived());
        StopSignals another; // the signals have one listener
        EXPECT_FALSE(another.isListening());
        QSignalSpy received(&stop, &StopSignals::received);
        for (int number : {SIGTERM, SIGHUP, SIGINT}) {
            // Sent from a thread of its own, as a signal meets whichever thread it finds.
            std::thread([number] { ::kill(::getpid(), number); }).join();
            ASSERT_TRUE(received.wait(5000)) << number;
            EXPECT_EQ(received.takeFirst().at(0).toInt(), number);
            EXPECT_EQ(stop.lastSignal(), number);
        }
        EXPECT_TRUE(stop.hasReceived());
        // Nothing of it ran in the handler, and the earlier handler was not called.
        EXPECT_EQ(earlierHandlerCalls.load(), 0);
    }
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ::raise(number);
    EXPECT_EQ(earlierHandlerCalls.load(), 3);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(number, &standard, nullptr);
}
