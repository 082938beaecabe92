// fuzz-sources: runtime/unit_record.cpp runtime/unit_fields.cpp runtime/form_record.cpp runtime/form_template.cpp runtime/template_slot.cpp runtime/log_font.cpp components/*/*_data.cpp components/properties/property_layout.cpp
// fuzz-libraries:
// fuzz-seeds: tests/data/forms/seeds/*.bin
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "components/properties/component_data.h"
#include "runtime/form_template.h"
#include "runtime/unit_fields.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Own-property data that reads must write back to bytes that read the same.
void CheckOwnData(const rt::UnitRecord& unit) {
    auto data = components::MakeComponentData(unit.TypeReference());
    if (!data) return;
    auto own = unit.OwnData();
    if (data->Read(own.data(), own.size()) != rt::ReadStatus::kOk) return;
    std::vector<uint8_t> written = data->Write();
    auto again = components::MakeComponentData(unit.TypeReference());
    Require(again->Read(written.data(), written.size()) == rt::ReadStatus::kOk);
    Require(again->Write() == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rt::FormTemplate tpl;
    if (rt::FormTemplate::Read(data, size, &tpl) != rt::ReadStatus::kOk) return 0;
    Require(tpl.Write() == std::vector<uint8_t>(data, data + size));
    for (rt::FormRecord& form : tpl.forms) {
        for (uint32_t i = 0; i < form.UnitCount(); ++i) {
            const rt::UnitRecord unit = form.Unit(i);
            Require(form.FindUnit(unit.Id()) >= 0);
            auto bytes = unit.Data();
            Require(rt::EncodeUnit(rt::DecodeUnit(unit)) == std::vector<uint8_t>(bytes.begin(), bytes.end()));
            CheckOwnData(unit);
        }
        // The writers that resize a unit keep the form readable.
        if (form.UnitCount() > 0) {
            const uint32_t last = form.UnitCount() - 1;
            form.ReplaceTag(last, "tag");
            form.ReplaceMousePointer(last, {});
            form.ReplaceMenuCaption(last, "caption");
        }
    }
    // Base 0: every word offset, however hostile, then fits its 32-bit slot, so
    // relocation runs on every input instead of ending the process on the first
    // one whose handler word lies near 4 GiB (which no template of ours holds).
    tpl.RelocateHandlers(0);
    std::vector<uint8_t> changed = tpl.Write();
    rt::FormTemplate reread;
    Require(rt::FormTemplate::Read(changed.data(), changed.size(), &reread) == rt::ReadStatus::kOk);
    return 0;
}
