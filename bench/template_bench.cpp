// Reading the window template against a memcpy of the same bytes, measured in
// the same run. The template is generated in the launcher's shape: five forms
// of 8, 10, 22, 16 and 8 units, about 450 KB, most of it picture blocks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "components/button/button_data.h"
#include "components/image_button/image_button_data.h"
#include "components/picture_box/picture_box_data.h"
#include "components/window/window_data.h"
#include "runtime/form_template.h"
#include "runtime/type_references.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes PictureBytes(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(seed >> 16);
    }
    return bytes;
}

rt::UnitFields Unit(uint32_t id, uint32_t type, const char* name, Bytes ownData) {
    rt::UnitFields unit;
    unit.id = id;
    unit.typeReference = type;
    unit.name = name;
    unit.left = 8;
    unit.top = 8;
    unit.width = 80;
    unit.height = 35;
    unit.flags = 1;
    unit.events = {{0, 4}};
    unit.ownData = std::move(ownData);
    return unit;
}

Bytes WindowWithPicture(size_t pictureSize) {
    components::WindowData window;
    window.border = 6;
    window.PictureMode = 3;
    window.caption = "Lumadrel";
    if (pictureSize) window.BackPicture = PictureBytes(pictureSize, 1);
    return window.Write();
}

Bytes PictureBox(size_t pictureSize, uint32_t seed) {
    components::PictureBoxData box;
    box.picture = PictureBytes(pictureSize, seed);
    return box.Write();
}

Bytes ImageButton() {
    components::ImageButtonData button;
    button.caption = "button";
    return button.Write();
}

// One form: the window, then components until `units`, the first ones
// carrying the given picture sizes.
rt::FormRecord Form(uint32_t number, uint32_t units, size_t windowPicture, const std::vector<size_t>& pictures) {
    std::vector<rt::UnitFields> fields;
    fields.push_back(Unit(0x06000000 | number, rt::kWindowTypeReference, "", WindowWithPicture(windowPicture)));
    for (uint32_t i = 1; i < units; ++i) {
        const uint32_t id = 0x16000000 | (number + i);
        if (i - 1 < pictures.size()) {
            fields.push_back(Unit(id, 0x00010006, "picture", PictureBox(pictures[i - 1], i)));
        } else {
            fields.push_back(Unit(id, 0x00020001, "button", ImageButton()));
        }
    }
    rt::FormRecord form;
    form.id = 0x52000000 | number;
    form.SetUnits(fields);
    return form;
}

const Bytes& LauncherShapedTemplate() {
    static const Bytes bytes = [] {
        rt::FormTemplate tpl;
        tpl.forms.push_back(Form(0x010001, 8, 96751, {}));
        tpl.forms.push_back(Form(0x013131, 10, 0, {}));
        std::vector<size_t> board = {47677, 10236};
        for (int i = 0; i < 16; ++i) board.push_back(1401 + 4 * i);
        tpl.forms.push_back(Form(0x0131BA, 22, 0, board));
        tpl.forms.push_back(Form(0x01324A, 16, 0, {260150}));
        tpl.forms.push_back(Form(0x013298, 8, 0, {}));
        return tpl.Write();
    }();
    return bytes;
}

void ReadTemplate(benchmark::State& state) {
    const Bytes& bytes = LauncherShapedTemplate();
    for (auto _ : state) {
        rt::FormTemplate tpl;
        if (rt::FormTemplate::Read(bytes.data(), bytes.size(), &tpl) != rt::ReadStatus::kOk) {
            state.SkipWithError("the generated template does not read");
            break;
        }
        benchmark::DoNotOptimize(tpl.forms.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(ReadTemplate);

void MemcpyOfTheTemplate(benchmark::State& state) {
    const Bytes& bytes = LauncherShapedTemplate();
    Bytes copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(MemcpyOfTheTemplate);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                seconds_[run.run_name.function_name] = run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* what, const char* subject, const char* anchor, double target) const {
        if (!seconds_.count(subject) || !seconds_.count(anchor)) return;
        const double ratio = seconds_.at(subject) / seconds_.at(anchor);
        std::printf("ratio %-32s %6.2fx (target <= %.2fx) %s\n", what, ratio, target, ratio <= target ? "met" : "MISSED");
    }

private:
    std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("template of %zu bytes\n", LauncherShapedTemplate().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("template read / memcpy", "ReadTemplate", "MemcpyOfTheTemplate", 10.0);
    benchmark::Shutdown();
    return 0;
}
