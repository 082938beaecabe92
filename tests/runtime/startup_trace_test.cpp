// The start-up trace's buffer and its trace-event document.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "runtime/startup_trace.h"

namespace {

int64_t g_fakeNow = 0;
int64_t FakeClock() { return g_fakeNow; }

class StartupTrace : public ::testing::Test {
protected:
    void TearDown() override { trace::Stop(); }
};

constexpr char kEmpty[] = "{\"traceEvents\":[],\"displayTimeUnit\":\"ms\",\"otherData\":{\"droppedSpans\":0}}\n";

TEST_F(StartupTrace, OffRecordsNothing) {
    { trace::Span span("ignored"); }
    EXPECT_FALSE(trace::Enabled());
    EXPECT_EQ(trace::ToJson(), kEmpty);
}

TEST_F(StartupTrace, SpansInBeginOrderWithTheirTimesAndOpenOnesEndingNow) {
    ASSERT_TRUE(trace::Start(16, FakeClock));
    EXPECT_FALSE(trace::Start(16, FakeClock)) << "one trace per process";
    g_fakeNow = 10;
    trace::Span outer("load form", "0x52010001");
    g_fakeNow = 12;
    {
        trace::Span inner("create SuperBtn");
        g_fakeNow = 20;
    }
    trace::Record("process start", 0, 5);
    g_fakeNow = 30;
    EXPECT_EQ(trace::ToJson(),
              "{\"traceEvents\":["
              "{\"name\":\"load form\",\"cat\":\"startup\",\"ph\":\"X\",\"ts\":10,\"dur\":20,\"pid\":1,\"tid\":1,"
              "\"args\":{\"detail\":\"0x52010001\",\"open\":true}},\n"
              "{\"name\":\"create SuperBtn\",\"cat\":\"startup\",\"ph\":\"X\",\"ts\":12,\"dur\":8,\"pid\":1,\"tid\":1},\n"
              "{\"name\":\"process start\",\"cat\":\"startup\",\"ph\":\"X\",\"ts\":0,\"dur\":5,\"pid\":1,\"tid\":1}"
              "],\"displayTimeUnit\":\"ms\",\"otherData\":{\"droppedSpans\":0}}\n");
}

int64_t g_fakeMemory = 0;
int64_t FakeMemory() { return g_fakeMemory; }

// Each span carries the working set read at its end; open spans and unknown
// readings carry none.
TEST_F(StartupTrace, SpansCarryTheWorkingSetAtTheirEnd) {
    ASSERT_TRUE(trace::Start(8, FakeClock, FakeMemory));
    g_fakeNow = 0;
    g_fakeMemory = 100;
    trace::Span open("open", "d");
    {
        trace::Span grows("grows", "x");
        g_fakeMemory = 2500;
    }
    {
        trace::Span unknown("unknown");
        g_fakeMemory = -1;
    }
    g_fakeMemory = 7;
    trace::Record("recorded", 0, 0);
    const std::string json = trace::ToJson();
    EXPECT_NE(json.find("\"args\":{\"detail\":\"d\",\"open\":true}}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"args\":{\"detail\":\"x\",\"working_set_kib\":2500}}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\":\"unknown\",\"cat\":\"startup\",\"ph\":\"X\",\"ts\":0,\"dur\":0,\"pid\":1,\"tid\":1}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"args\":{\"working_set_kib\":7}}"), std::string::npos) << json;
}

TEST_F(StartupTrace, TheBufferIsBoundedAndCountsWhatItDropped) {
    ASSERT_TRUE(trace::Start(2, FakeClock));
    for (int i = 0; i < 5; ++i) trace::Span span("step");
    std::string json = trace::ToJson();
    size_t events = 0;
    for (size_t at = json.find("\"name\""); at != std::string::npos; at = json.find("\"name\"", at + 1)) ++events;
    EXPECT_EQ(events, 2u);
    EXPECT_NE(json.find("\"droppedSpans\":3"), std::string::npos);
}

#ifdef __linux__
long ResidentKiB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * 4;
}

// A start's working set grows with the spans it records, not with the capacity.
TEST_F(StartupTrace, StartingLeavesTheBufferUntouched) {
    constexpr size_t kCapacity = 1 << 20;  // about 160 MiB of spans
    long before = ResidentKiB();
    ASSERT_TRUE(trace::Start(kCapacity, FakeClock));
    { trace::Span span("runtime start"); }
    EXPECT_LT(ResidentKiB() - before, 40 * 1024);
    EXPECT_NE(trace::ToJson().find("\"runtime start\""), std::string::npos);
}
#endif

TEST_F(StartupTrace, TextsStayValidJsonAndUtf8) {
    ASSERT_TRUE(trace::Start(8, FakeClock));
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"a \"quoted\" \\ name", "a \\\"quoted\\\" \\\\ name"},
        {"tab\there\n", "tab\\u0009here\\u000a"},
        {"\xD7\xE9\xBA\xCF", "????"},                      // GBK bytes are not UTF-8
        {"\xE7\xAA\x97\xE5\x8F\xA3", "\xE7\xAA\x97\xE5\x8F\xA3"},  // UTF-8 passes through
    };
    for (const auto& c : cases) trace::Span span(c.name);
    // 21 three-byte characters are 63 bytes; one more must not be cut in half.
    std::string long_text;
    for (int i = 0; i < 22; ++i) long_text += "\xE7\xAA\x97";
    { trace::Span span("long", long_text.c_str()); }
    std::string json = trace::ToJson();
    for (const auto& c : cases)
        EXPECT_NE(json.find(std::string("{\"name\":\"") + c.expected + "\""), std::string::npos) << c.expected;
    EXPECT_NE(json.find("\"detail\":\"" + long_text.substr(0, 63) + "\""), std::string::npos);
}

}  // namespace
