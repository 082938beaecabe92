#include "tools/form_source/template_printer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "components/properties/component_data.h"
#include "runtime/byte_reader.h"
#include "runtime/unit_fields.h"
#include "tools/form_source/blob_encoding.h"
#include "tools/form_source/source_names.h"
#include "tools/form_source/source_values.h"
#include "tools/form_source/text_encoding.h"

namespace formsource {

namespace {

using components::FieldKind;
using rt::LogFont;

constexpr size_t kInlineLimit = 64;
constexpr uint32_t kNoHandler = 0xFFFFFFFF;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string ShortHex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, value < 0x1000000 ? "0x%06X" : "0x%08X", value);
    return text;
}

bool AllZero(const uint32_t* words, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (words[i]) return false;
    }
    return true;
}

std::string WordList(const uint32_t* words, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) out += " " + Hex(words[i]);
    return out;
}

class FormPrinter {
public:
    FormPrinter(const rt::FormRecord& form, const PrintOptions& options, BlobWriter& blobs)
        : form_(form), options_(options), blobs_(blobs) {
        for (uint32_t i = 0; i < form.UnitCount(); ++i) units_.push_back(rt::DecodeUnit(form.Unit(i)));
        char stem[16];
        std::snprintf(stem, sizeof stem, "f%08X", form.id);
        formStem_ = stem;
    }

    std::string Print();

private:
    void Line(const std::string& text) { out_ += "  " + text + "\n"; }
    std::string Reference(uint32_t id) const;
    std::string HandlerText(uint32_t handler) const;
    std::string Stem(const rt::UnitFields& unit, const char* field) const {
        char id[16];
        std::snprintf(id, sizeof id, "_u%08X_", unit.id);
        return formStem_ + id + field;
    }
    void PrintUnit(const rt::UnitFields& unit);
    void PrintMenuItem(const rt::UnitFields& unit);
    void PrintComponent(const rt::UnitFields& unit);
    void PrintMousePointer(const rt::UnitFields& unit);
    void PrintOwnData(const rt::UnitFields& unit);
    std::string FontText(const std::optional<rt::LogFont>& font, const std::string& stem);
    std::string FieldText(const components::FieldInfo& info, const components::FieldValue& value,
                          const std::string& stem);

    const rt::FormRecord& form_;
    const PrintOptions& options_;
    BlobWriter& blobs_;
    std::vector<rt::UnitFields> units_;
    std::string formStem_;
    std::string out_;
};

std::string FormPrinter::Print() {
    out_ = "form " + Hex(form_.id) + "\n";
    if (form_.word1) Line("word1 " + Hex(form_.word1));
    if (form_.word2) Line("word2 " + Hex(form_.word2));
    if (!form_.text1.empty()) Line("text1 " + GbkToQuotedLiteral(form_.text1));
    if (!form_.text2.empty()) Line("text2 " + GbkToQuotedLiteral(form_.text2));
    if (form_.placeholder) Line("placeholder " + Hex(form_.placeholder));
    for (const rt::UnitFields& unit : units_) PrintUnit(unit);
    return out_;
}

// A unique non-empty name, else the id.
std::string FormPrinter::Reference(uint32_t id) const {
    if (id == 0) return "0";
    const rt::UnitFields* named = nullptr;
    for (const rt::UnitFields& unit : units_) {
        if (unit.id == id) named = &unit;
    }
    if (!named || named->name.empty()) return Hex(id);
    for (const rt::UnitFields& unit : units_) {
        if (&unit != named && unit.name == named->name) return Hex(id);
    }
    return GbkToQuotedLiteral(named->name);
}

std::string FormPrinter::HandlerText(uint32_t handler) const {
    if (handler == kNoHandler) return "none";
    if (options_.handlers) {
        if (const std::string* name = options_.handlers->NameAt(handler)) return *name;
    }
    return Hex(handler);
}

void FormPrinter::PrintUnit(const rt::UnitFields& unit) {
    // A type named menu_item would ask for the short record.
    std::string type = TypeName(unit.typeReference);
    if (type == "menu_item" && !unit.IsMenuItem()) type = "1:3";
    out_ += "\nunit " + type + " " + Hex(unit.id);
    if (!unit.name.empty()) out_ += " " + GbkToQuotedLiteral(unit.name);
    out_ += "\n";
    if (!unit.secondName.empty()) Line("second_name " + GbkToQuotedLiteral(unit.secondName));
    if (unit.eventSource) Line("event_source " + Reference(unit.eventSource));
    if (!AllZero(unit.reserved.data(), 4)) Line("reserved" + WordList(unit.reserved.data(), 4));
    if (unit.IsMenuItem()) {
        PrintMenuItem(unit);
    } else {
        PrintComponent(unit);
    }
}

void FormPrinter::PrintMenuItem(const rt::UnitFields& unit) {
    if (!AllZero(unit.menuWords.data(), 2)) Line("menu_words" + WordList(unit.menuWords.data(), 2));
    if (unit.menuFlags) Line("flags " + Hex(unit.menuFlags));
    if (!unit.caption.empty()) Line("caption " + GbkToQuotedLiteral(unit.caption));
    if (unit.clickHandler != kNoHandler) Line("click " + HandlerText(unit.clickHandler));
}

void FormPrinter::PrintComponent(const rt::UnitFields& unit) {
    if (unit.objectSlot) Line("object_slot " + Hex(unit.objectSlot));
    Line("place " + std::to_string(unit.left) + " " + std::to_string(unit.top) + " " + std::to_string(unit.width) +
         " " + std::to_string(unit.height));
    if (unit.cursorSlot) Line("cursor_slot " + Hex(unit.cursorSlot));
    if (unit.parent) Line("parent " + Reference(unit.parent));

    // The compiler derives the children of a container from the parent
    // fields; the list is written only when it says something else.
    std::vector<uint32_t> derived;
    for (const rt::UnitFields& other : units_) {
        if (unit.id != 0 && &other != &unit && !other.IsMenuItem() && other.parent == unit.id) derived.push_back(other.id);
    }
    if (unit.children != derived) {
        std::string children = "children";
        for (uint32_t child : unit.children) children += child ? " " + Reference(child) : " |";
        Line(children);
    }
    PrintMousePointer(unit);
    if (!unit.tag.empty()) Line("tag " + GbkToQuotedLiteral(unit.tag));
    if (unit.reservedAfterTag) Line("reserved_after_tag " + Hex(unit.reservedAfterTag));
    std::string flags = "flags";
    uint32_t rest = unit.flags;
    for (const FlagName& flag : kUnitFlagNames) {
        if (rest & flag.bit) flags += std::string(" ") + flag.name, rest &= ~flag.bit;
    }
    if (rest) flags += " " + Hex(rest);
    if (unit.flags) Line(flags);
    if (unit.tabOrder) Line("tab_order " + std::to_string(unit.tabOrder));
    for (const rt::EventBinding& binding : unit.events) {
        Line("event " + std::to_string(binding.eventNumber) + " " + HandlerText(binding.handler));
    }
    if (!AllZero(unit.reservedAfterEvents.data(), 5)) {
        Line("reserved_after_events" + WordList(unit.reservedAfterEvents.data(), 5));
    }
    PrintOwnData(unit);
}

void FormPrinter::PrintMousePointer(const rt::UnitFields& unit) {
    const std::vector<uint8_t>& data = unit.mousePointer;
    if (data.empty()) return;
    if (data.size() == 1) {
        Line("mouse_pointer index " + std::to_string(data[0]));
    } else if (data.size() == 4) {
        uint32_t id = rt::LoadU32(data.data());
        const char* name = CursorName(id);
        Line(std::string("mouse_pointer cursor ") + (name ? name : Hex(id).c_str()));
    } else if (data.size() > 4 && rt::LoadU32(data.data()) == 0xFFFFFFFF) {
        std::vector<uint8_t> file(data.begin() + 4, data.end());
        Line("mouse_pointer cursor_file " + blobs_.Reference(file, Stem(unit, "cursor")));
    } else {
        Line("mouse_pointer " + blobs_.Reference(data, Stem(unit, "pointer")));
    }
}

std::string FormPrinter::FontText(const std::optional<rt::LogFont>& font, const std::string& stem) {
    if (!font) return "none";
    rt::LogFont rebuilt;
    std::string text;
    for (int m = 0; m < 13; ++m) {
        int64_t value = FontMemberValue(*font, m);
        if (value == 0) continue;
        text += std::string(" ") + kFontMembers[m].name + " " + std::to_string(value);
        SetFontMember(rebuilt, m, value);
    }
    if (!font->FaceName().empty()) {
        text += " face " + GbkToQuotedLiteral(font->FaceName());
        rebuilt.SetFaceName(font->FaceName());
    }
    // Members alone cannot say what follows the face name's terminator.
    if (text.empty() || !(rebuilt == *font)) {
        uint8_t bytes[rt::LogFont::kSize];
        font->ToBytes(bytes);
        return blobs_.Reference(std::vector<uint8_t>(bytes, bytes + rt::LogFont::kSize), stem);
    }
    return text.substr(1);
}

std::string FormPrinter::FieldText(const components::FieldInfo& info, const components::FieldValue& value,
                                   const std::string& stem) {
    switch (info.kind) {
        case FieldKind::kColour: {
            uint32_t colour = static_cast<uint32_t>(std::get<int64_t>(value));
            return colour == components::kDefaultColour ? "default" : ShortHex(colour);
        }
        case FieldKind::kWord: return std::to_string(static_cast<uint32_t>(std::get<int64_t>(value)));
        case FieldKind::kInteger:
        case FieldKind::kPick:
        case FieldKind::kChar16: return std::to_string(std::get<int64_t>(value));
        case FieldKind::kBool: return std::get<bool>(value) ? "true" : "false";
        case FieldKind::kText: return GbkToQuotedLiteral(std::get<std::string>(value));
        case FieldKind::kBlock: return blobs_.Reference(std::get<std::vector<uint8_t>>(value), stem);
        case FieldKind::kFont: return FontText(std::get<std::optional<rt::LogFont>>(value), stem);
        case FieldKind::kWordList: {
            std::string text;
            for (uint32_t word : std::get<std::vector<uint32_t>>(value)) text += " " + std::to_string(word);
            return text.empty() ? text : text.substr(1);
        }
        case FieldKind::kTextList16: {
            std::string text;
            for (const std::string& item : std::get<std::vector<std::string>>(value)) {
                text += " " + GbkToQuotedLiteral(item);
            }
            return text.empty() ? text : text.substr(1);
        }
    }
    return "";
}

void FormPrinter::PrintOwnData(const rt::UnitFields& unit) {
    if (unit.ownData.empty()) return;
    auto data = components::MakeComponentData(unit.typeReference);
    // Named properties only when they give back exactly the stored bytes.
    if (data && data->Read(unit.ownData.data(), unit.ownData.size()) == rt::ReadStatus::kOk &&
        data->Write() == unit.ownData) {
        Line("data_version " + std::to_string(data->Version()));
        for (size_t i = 0; i < data->FieldCount(); ++i) {
            const components::FieldInfo& info = data->Info(i);
            if (info.sinceVersion > data->Version() || data->IsDefault(i)) continue;
            std::string text = FieldText(info, data->Get(i), Stem(unit, info.name));
            Line(std::string(info.name) + (text.empty() ? "" : " " + text));
        }
        return;
    }
    Line("data " + blobs_.Reference(unit.ownData, Stem(unit, "data")));
}

}  // namespace

std::string BlobWriter::Reference(const std::vector<uint8_t>& bytes, const std::string& stem) {
    if (bytes.empty()) return "none";
    const char* extension = BlobExtension(bytes);
    // Pictures and sounds go to files whatever their size, so they can be opened.
    const bool openable = std::string_view(extension) != "bin";
    if (directory_.empty() || (!openable && bytes.size() < kInlineLimit)) {
        if (bytes.size() < kInlineLimit) return "hex \"" + HexEncode(bytes) + "\"";
        return "base64 \"" + Base64Encode(bytes) + "\"";
    }
    auto known = files_.find(bytes);
    if (known != files_.end()) return "file " + QuotedRawLiteral(known->second);
    std::string name = stem + "." + extension;
    std::ofstream file(std::filesystem::path(directory_) / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file && error_.empty()) error_ = "cannot write " + (std::filesystem::path(directory_) / name).string();
    files_.emplace(bytes, name);
    return "file " + QuotedRawLiteral(name);
}

common::Result<std::string> PrintForm(const rt::FormRecord& form, const PrintOptions& options, BlobWriter& blobs) {
    std::string text = FormPrinter(form, options, blobs).Print();
    if (!blobs.error_.empty()) return common::Error{blobs.error_};
    return text;
}

}  // namespace formsource
