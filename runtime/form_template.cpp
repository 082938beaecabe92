#include "runtime/form_template.h"

#include <string_view>
#include <utility>

#include "runtime/byte_reader.h"
#include "runtime/byte_writer.h"

namespace rt {

namespace {

ReadStatus ReadForm(ByteReader& reader, FormRecord* form) {
    uint32_t unitCount, bufferLength;
    const uint8_t* buffer;
    if (!reader.ReadU32(&form->word1) || !reader.ReadU32(&form->word2) || !reader.ReadCountedText(&form->text1) ||
        !reader.ReadCountedText(&form->text2) || !reader.ReadU32(&unitCount) || !reader.ReadU32(&bufferLength) ||
        !reader.ReadView(bufferLength, &buffer)) {
        return ReadStatus::kTruncated;
    }
    return form->SetUnitBuffer(unitCount, buffer, bufferLength);
}

}  // namespace

ReadStatus FormTemplate::Read(const uint8_t* data, size_t size, FormTemplate* out) {
    ByteReader reader(data, size);
    uint32_t tableLength;
    if (!reader.ReadU32(&tableLength)) return ReadStatus::kTruncated;
    if (tableLength % 8 != 0) return ReadStatus::kBadLayout;
    if (tableLength > reader.Remaining()) return ReadStatus::kTruncated;
    const uint32_t formCount = tableLength / 8;

    std::vector<FormRecord> forms(formCount);
    for (FormRecord& form : forms) reader.ReadU32(&form.id);
    for (FormRecord& form : forms) reader.ReadU32(&form.placeholder);
    for (FormRecord& form : forms) {
        ReadStatus status = ReadForm(reader, &form);
        if (status != ReadStatus::kOk) return status;
    }
    if (!reader.AtEnd()) return ReadStatus::kTrailingBytes;
    out->forms = std::move(forms);
    return ReadStatus::kOk;
}

std::vector<uint8_t> FormTemplate::Write() const {
    size_t total = 4 + 8 * forms.size();
    for (const FormRecord& form : forms) total += 24 + form.text1.size() + form.text2.size() + form.UnitBuffer().size();
    ByteWriter out(total);
    out.PutU32(static_cast<uint32_t>(8 * forms.size()));
    for (const FormRecord& form : forms) out.PutU32(form.id);
    for (const FormRecord& form : forms) out.PutU32(form.placeholder);
    for (const FormRecord& form : forms) {
        out.PutU32(form.word1);
        out.PutU32(form.word2);
        out.PutCounted(std::string_view(form.text1));
        out.PutCounted(std::string_view(form.text2));
        out.PutU32(form.UnitCount());
        out.PutCounted(form.UnitBuffer());
    }
    return out.Take();
}

FormRecord* FormTemplate::FindForm(uint32_t formId) {
    for (FormRecord& form : forms) {
        if (form.id == formId) return &form;
    }
    return nullptr;
}

const FormRecord* FormTemplate::FindForm(uint32_t formId) const {
    return const_cast<FormTemplate*>(this)->FindForm(formId);
}

void FormTemplate::RelocateHandlers(uint64_t base, uint32_t entrySize) {
    for (FormRecord& form : forms) form.RelocateHandlers(base, entrySize);
}

}  // namespace rt
