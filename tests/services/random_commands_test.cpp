// The random generator: its sequence, the bound rules and per-thread state.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "services/core_commands.h"
#include "services/random_generator.h"
#include "support/command_call.h"

namespace {

using services::testing::Call;

int Draw(int32_t low, int32_t high) {
    return Call(services::RandomNumber, {rt::MakeInteger(low), rt::MakeInteger(high)}).integer();
}

TEST(RandomGenerator, SeededSequenceIsTheLinearCongruentialOne) {
    Call(services::SetRandomSeed, {rt::MakeInteger(1)});
    EXPECT_EQ(services::NextRandom(), 41u);
    EXPECT_EQ(services::NextRandom(), 18467u);
    EXPECT_EQ(services::NextRandom(), 6334u);
    Call(services::SetRandomSeed, {rt::MakeInteger(1)});
    EXPECT_EQ(services::NextRandom(), 41u);
}

TEST(RandomNumber, StaysWithinInclusiveBoundsInEitherOrder) {
    Call(services::SetRandomSeed, {rt::MakeInteger(7)});
    std::set<int> seen;
    for (int i = 0; i < 20000; ++i) {
        int value = Draw(1000, 1009);
        ASSERT_GE(value, 1000);
        ASSERT_LE(value, 1009);
        seen.insert(value);
        int swapped = Draw(9999, 1000);
        ASSERT_GE(swapped, 1000);
        ASSERT_LE(swapped, 9999);
    }
    EXPECT_EQ(seen.size(), 10u);  // both ends are reachable
}

TEST(RandomNumber, BoundRules) {
    EXPECT_EQ(Draw(5, 5), 5);
    EXPECT_EQ(Draw(-7, 0), 0);  // a negative minimum counts as 0
    Call(services::SetRandomSeed, {rt::MakeInteger(3)});
    for (int i = 0; i < 1000; ++i) {
        int value = Draw(10, -1);  // a negative maximum is the largest integer
        ASSERT_GE(value, 10);
        ASSERT_LE(value, 10 + 32767);
        int unbounded = Call(services::RandomNumber, {}).integer();
        ASSERT_GE(unbounded, 0);
        ASSERT_LE(unbounded, 32767);
    }
}

TEST(RandomNumber, EachThreadHasItsOwnState) {
    Call(services::SetRandomSeed, {rt::MakeInteger(1)});
    std::thread other([] {
        Call(services::SetRandomSeed, {rt::MakeInteger(99)});
        for (int i = 0; i < 10; ++i) services::NextRandom();
    });
    other.join();
    EXPECT_EQ(services::NextRandom(), 41u);
}

TEST(SetRandomSeed, ClockSeedingsInTheSameMillisecondDiffer) {
    Call(services::SetRandomSeed, {});
    uint32_t first[3] = {services::NextRandom(), services::NextRandom(), services::NextRandom()};
    Call(services::SetRandomSeed, {});
    uint32_t second[3] = {services::NextRandom(), services::NextRandom(), services::NextRandom()};
    EXPECT_FALSE(first[0] == second[0] && first[1] == second[1] && first[2] == second[2]);
}

}  // namespace
