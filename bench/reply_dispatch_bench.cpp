// Reading a game-server reply (conversion to text, the keyword tests in their
// order, splitting a draw result) against a plain memmem scan of the same
// bytes for the same keywords, in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/text/gbk.h"
#include "launcher/reply_classifier.h"
#include "launcher/text_commands.h"
#include "runtime/entry_points.h"
#include "runtime/values.h"

namespace {

const char* const kKeywords[] = {"登陆错误", "登陆成功", "离开副本成功", "注册成功",
                                 "账号存在", "附魔成功", "抽奖结果",     "抽奖次数用完"};

// 4 KB of Chinese and ASCII text holding none of the keywords (every test
// scans it whole), ending in a draw result's shape.
std::string FourKilobyteReply() {
    std::string reply;
    const char* filler = "公告：服务器将于今晚维护，请各位玩家提前下线。Notice 12345 ";
    while (reply.size() < 4096 - 32) reply += filler;
    reply.resize(4096 - 32);
    // Do not leave half a character at the cut.
    size_t cut = 0;
    while (cut < reply.size()) cut += common::IsTextCommandLeadByte(static_cast<unsigned char>(reply[cut])) ? 2 : 1;
    if (cut > reply.size()) reply.pop_back();
    reply += "\r\n100\r\n2";
    return reply;
}

const std::string& Reply() {
    static const std::string reply = FourKilobyteReply();
    return reply;
}

void DispatchReply(benchmark::State& state) {
    uint8_t* bytes = rt::CopyBytes(Reply().data(), Reply().size());
    for (auto _ : state) {
        launcher::Owned text(launcher::ToText(bytes));
        launcher::ReplyPlan plan = launcher::ClassifyReply(text.text());
        launcher::DrawResult draw = launcher::ReadDrawResult(text.text());
        benchmark::DoNotOptimize(plan);
        benchmark::DoNotOptimize(draw);
    }
    rt::Free(bytes);
}
BENCHMARK(DispatchReply);

void MemmemScan(benchmark::State& state) {
    const std::string& reply = Reply();
    for (auto _ : state) {
        int found = 0;
        for (const char* keyword : kKeywords)
            found += memmem(reply.data(), reply.size(), keyword, std::strlen(keyword)) != nullptr;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(MemmemScan);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds_[run.run_name.function_name] = run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio() const {
        if (!seconds_.count("DispatchReply") || !seconds_.count("MemmemScan")) return;
        double ratio = seconds_.at("DispatchReply") / seconds_.at("MemmemScan");
        std::printf("ratio reply dispatch / memmem scan %6.2fx (target <= 3.00x) %s\n", ratio,
                    ratio <= 3.0 ? "met" : "MISSED");
    }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("reply of %zu bytes\n", Reply().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
