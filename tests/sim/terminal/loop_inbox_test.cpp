// Work the panel's threads hand to the terminal's loop: a caller that gave up
// waiting must be able to say whether the work was done, so work the loop had
// not taken by then never runs.
#include <gtest/gtest.h>

#include <thread>

#include "panel/loop_inbox.h"

namespace zsim::test {
namespace {

using namespace std::chrono_literals;
using panel::Asked;

TEST(LoopInbox, WorkNotTakenInTimeNeverRunsAndLaterWorkIsAnswered) {
    term::EventLoop loop;
    panel::LoopInbox inbox(loop);
    std::string error;
    ASSERT_TRUE(inbox.start(error)) << error;
    int ran = 0;
    // The loop is not running yet, so it cannot take this work within any time.
    EXPECT_EQ(inbox.ask([&] { return std::to_string(++ran); }, 1ms).outcome, Asked::Outcome::NotRun);

    Asked next;
    std::thread asker([&] {
        next = inbox.ask(
            [&] {
                loop.stop();
                return std::string("next");
            },
            60s);
    });
    loop.run();
    asker.join();
    EXPECT_EQ(next.outcome, Asked::Outcome::Done);
    EXPECT_EQ(next.answer, "next");
    EXPECT_EQ(ran, 0) << "work reported as not done ran all the same";
}

TEST(LoopInbox, ClosingWakesACallerWhoseWorkWillNeverRun) {
    term::EventLoop loop;
    panel::LoopInbox inbox(loop);
    std::string error;
    ASSERT_TRUE(inbox.start(error)) << error;
    Asked waiting{Asked::Outcome::Done, "unset"};
    std::thread asker([&] { waiting = inbox.ask([] { return std::string("never"); }, 60s); });
    inbox.close();  // before or after the caller queued its work: either way it is told at once
    asker.join();
    EXPECT_EQ(waiting.outcome, Asked::Outcome::NotRun);
}

}  // namespace
}  // namespace zsim::test
