#include "tools/form_source/template_compiler.h"

#include <cctype>
#include <optional>
#include <set>
#include <vector>

#include "components/properties/component_data.h"
#include "runtime/unit_fields.h"
#include "tools/form_source/source_lines.h"
#include "tools/form_source/source_names.h"
#include "tools/form_source/source_values.h"

namespace formsource {

namespace {

constexpr uint32_t kNoHandler = 0xFFFFFFFF;

// A unit named by id or by its quoted name, resolved once the form is read.
struct UnitReference {
    const SourceLine* line;
    size_t token;
};

struct PendingUnit {
    const SourceLine* header = nullptr;
    rt::UnitFields fields;
    std::optional<UnitReference> parent, eventSource;
    bool childrenGiven = false;
    std::vector<std::optional<UnitReference>> children;  // none: page separator
    const SourceLine* dataLine = nullptr;
    const SourceLine* versionLine = nullptr;
    std::vector<const SourceLine*> properties;
    std::set<std::string> seen;  // fields given once only
};

struct PendingForm {
    const SourceLine* header = nullptr;
    rt::FormRecord record;
    std::vector<PendingUnit> units;
    std::set<std::string> seen;
};

class Compiler {
public:
    Compiler(const std::vector<SourceLine>& lines, const HandlerTable& handlers, bool haveHandlers)
        : lines_(lines), handlers_(handlers), haveHandlers_(haveHandlers) {}

    common::Result<rt::FormTemplate> Run();

private:
    bool Fail(const SourceLine& line, const std::string& message) {
        if (error_.empty()) error_ = Located(line, message);
        return false;
    }
    // A value read from the line, or the line's failure.
    template <typename T, typename Slot>
    bool Take(const SourceLine& line, common::Result<T> read, Slot* slot) {
        if (!read) return Fail(line, read.error().message);
        *slot = std::move(*read);
        return true;
    }
    bool Check(const SourceLine& line, const common::Result<void>& read) {
        return read ? true : Fail(line, read.error().message);
    }
    bool Once(std::set<std::string>& seen, const SourceLine& line) {
        if (seen.insert(line.tokens[0].text).second) return true;
        return Fail(line, line.tokens[0].text + " is given twice");
    }
    bool Line(const SourceLine& line);
    bool FormHeader(const SourceLine& line);
    bool FormField(const SourceLine& line);
    bool UnitHeader(const SourceLine& line);
    bool UnitField(const SourceLine& line);
    bool MenuItemField(const SourceLine& line, PendingUnit& unit);
    bool ComponentField(const SourceLine& line, PendingUnit& unit);
    bool Words(const SourceLine& line, size_t count, uint32_t* words);
    bool Handler(const SourceLine& line, size_t at, uint32_t* handler);
    bool FinishForm();
    bool Resolve(const PendingForm& form, const UnitReference& reference, uint32_t* id);
    bool BuildOwnData(PendingUnit& unit);

    const std::vector<SourceLine>& lines_;
    const HandlerTable& handlers_;
    bool haveHandlers_;
    std::optional<PendingForm> form_;
    std::set<uint32_t> formIds_;
    rt::FormTemplate template_;
    std::string error_;
};

common::Result<rt::FormTemplate> Compiler::Run() {
    for (const SourceLine& line : lines_) {
        if (!Line(line)) break;
    }
    if (error_.empty()) FinishForm();
    if (!error_.empty()) return common::Error{error_};
    return std::move(template_);
}

bool Compiler::Line(const SourceLine& line) {
    const Token& keyword = line.tokens[0];
    if (keyword.quoted) return Fail(line, "a line starts with a keyword, not a string");
    if (keyword.text == "handlers") return true;  // read before compiling
    if (keyword.text == "form") return FormHeader(line);
    if (keyword.text == "unit") return UnitHeader(line);
    if (!form_) return Fail(line, "'" + keyword.text + "' outside a form");
    if (form_->units.empty()) return FormField(line);
    return UnitField(line);
}

bool Compiler::FormHeader(const SourceLine& line) {
    if (!FinishForm()) return false;
    uint32_t id;
    if (!Check(line, ExpectTokens(line, 1, 1)) || !Take(line, ParseWord(line.tokens[1]), &id)) return false;
    if (!formIds_.insert(id).second) return Fail(line, "form " + line.tokens[1].text + " is defined twice");
    form_.emplace();
    form_->header = &line;
    form_->record.id = id;
    return true;
}

bool Compiler::FormField(const SourceLine& line) {
    const std::string& keyword = line.tokens[0].text;
    rt::FormRecord& record = form_->record;
    if (keyword == "word1" || keyword == "word2" || keyword == "placeholder") {
        uint32_t* slot = keyword == "word1" ? &record.word1 : keyword == "word2" ? &record.word2 : &record.placeholder;
        if (!Once(form_->seen, line)) return false;
        return Check(line, ExpectTokens(line, 1, 1)) && Take(line, ParseWord(line.tokens[1]), slot);
    }
    if (keyword == "text1" || keyword == "text2") {
        if (!Once(form_->seen, line)) return false;
        std::string* slot = keyword == "text1" ? &record.text1 : &record.text2;
        return Check(line, ExpectTokens(line, 1, 1)) && Take(line, ParseText(line.tokens[1]), slot);
    }
    return Fail(line, "unknown form field '" + keyword + "'");
}

bool Compiler::UnitHeader(const SourceLine& line) {
    if (!form_) return Fail(line, "unit outside a form");
    if (line.tokens.size() < 3 || line.tokens.size() > 4) return Fail(line, "unit needs a type, an id and optionally a name");
    const Token& typeToken = line.tokens[1];
    std::optional<uint32_t> type = typeToken.quoted ? std::nullopt : ParseTypeName(typeToken.text);
    if (!type) return Fail(line, "unknown type '" + typeToken.text + "'");
    PendingUnit unit;
    unit.header = &line;
    unit.fields.typeReference = *type;
    if (!Take(line, ParseWord(line.tokens[2]), &unit.fields.id)) return false;
    // The id decides the record shape; a menu item needs the short one.
    if (typeToken.text == "menu_item" && !unit.fields.IsMenuItem()) {
        return Fail(line, "a menu item needs an id of sub-kind 2 (0x26xxxxxx)");
    }
    for (const PendingUnit& other : form_->units) {
        if (other.fields.id == unit.fields.id) return Fail(line, "unit id " + line.tokens[2].text + " is used twice");
    }
    if (line.tokens.size() == 4 && !Take(line, ParseText(line.tokens[3]), &unit.fields.name)) return false;
    form_->units.push_back(std::move(unit));
    return true;
}

bool Compiler::Words(const SourceLine& line, size_t count, uint32_t* words) {
    if (!Check(line, ExpectTokens(line, 1, count))) return false;
    for (size_t i = 0; i < count; ++i) {
        if (!Take(line, ParseWord(line.tokens[1 + i]), &words[i])) return false;
    }
    return true;
}

bool Compiler::Handler(const SourceLine& line, size_t at, uint32_t* handler) {
    const Token& token = line.tokens[at];
    if (!token.quoted && token.text == "none") {
        *handler = kNoHandler;
        return true;
    }
    bool numeric = !token.quoted && !token.text.empty() && (token.text[0] == '-' || std::isdigit(static_cast<unsigned char>(token.text[0])));
    if (numeric) {
        return Take(line, ParseWord(token), handler);
    }
    if (!haveHandlers_) return Fail(line, "handler '" + token.text + "' named but no handler list given");
    if (!handlers_.OffsetOf(token.text, handler)) return Fail(line, "unknown handler '" + token.text + "'");
    return true;
}

bool Compiler::UnitField(const SourceLine& line) {
    PendingUnit& unit = form_->units.back();
    const std::string& keyword = line.tokens[0].text;
    rt::UnitFields& fields = unit.fields;
    if (keyword == "second_name") {
        return Once(unit.seen, line) && Check(line, ExpectTokens(line, 1, 1)) &&
               Take(line, ParseText(line.tokens[1]), &fields.secondName);
    }
    if (keyword == "event_source") {
        if (!Once(unit.seen, line) || !Check(line, ExpectTokens(line, 1, 1))) return false;
        unit.eventSource = UnitReference{&line, 1};
        return true;
    }
    if (keyword == "reserved") return Once(unit.seen, line) && Words(line, 4, fields.reserved.data());
    return fields.IsMenuItem() ? MenuItemField(line, unit) : ComponentField(line, unit);
}

bool Compiler::MenuItemField(const SourceLine& line, PendingUnit& unit) {
    const std::string& keyword = line.tokens[0].text;
    rt::UnitFields& fields = unit.fields;
    if (!Once(unit.seen, line)) return false;
    if (keyword == "menu_words") return Words(line, 2, fields.menuWords.data());
    if (keyword == "flags") return Words(line, 1, &fields.menuFlags);
    if (keyword == "click") {
        if (!Check(line, ExpectTokens(line, 1, 1))) return false;
        return Handler(line, 1, &fields.clickHandler);
    }
    if (keyword == "caption") {
        return Check(line, ExpectTokens(line, 1, 1)) &&
               Take(line, ParseText(line.tokens[1]), &fields.caption);
    }
    return Fail(line, "unknown menu-item field '" + keyword + "'");
}

bool Compiler::ComponentField(const SourceLine& line, PendingUnit& unit) {
    const std::string& keyword = line.tokens[0].text;
    rt::UnitFields& fields = unit.fields;
    if (keyword == "event") {
        int64_t number;
        if (!Check(line, ExpectTokens(line, 1, 2)) ||
            !Take(line, ParseInteger(line.tokens[1], INT32_MIN, INT32_MAX), &number)) {
            return false;
        }
        rt::EventBinding binding{static_cast<int32_t>(number), 0};
        if (!Handler(line, 2, &binding.handler)) return false;
        fields.events.push_back(binding);
        return true;
    }
    if (keyword == "data" || keyword == "data_version") {
        if (!Once(unit.seen, line)) return false;
        (keyword == "data" ? unit.dataLine : unit.versionLine) = &line;
        return true;
    }
    if (!Once(unit.seen, line)) return false;
    if (keyword == "place") {
        uint32_t place[4];
        if (!Words(line, 4, place)) return false;
        fields.left = int32_t(place[0]), fields.top = int32_t(place[1]);
        fields.width = int32_t(place[2]), fields.height = int32_t(place[3]);
        return true;
    }
    if (keyword == "object_slot") return Words(line, 1, &fields.objectSlot);
    if (keyword == "cursor_slot") return Words(line, 1, &fields.cursorSlot);
    if (keyword == "reserved_after_tag") return Words(line, 1, &fields.reservedAfterTag);
    if (keyword == "reserved_after_events") return Words(line, 5, fields.reservedAfterEvents.data());
    if (keyword == "tab_order") {
        uint32_t order;
        if (!Words(line, 1, &order)) return false;
        fields.tabOrder = int32_t(order);
        return true;
    }
    if (keyword == "parent") {
        if (!Check(line, ExpectTokens(line, 1, 1))) return false;
        unit.parent = UnitReference{&line, 1};
        return true;
    }
    if (keyword == "children") {
        unit.childrenGiven = true;
        for (size_t i = 1; i < line.tokens.size(); ++i) {
            const Token& token = line.tokens[i];
            if (!token.quoted && token.text == "|") {
                unit.children.push_back(std::nullopt);
            } else {
                unit.children.push_back(UnitReference{&line, i});
            }
        }
        return true;
    }
    if (keyword == "tag") {
        return Check(line, ExpectTokens(line, 1, 1)) && Take(line, ParseText(line.tokens[1]), &fields.tag);
    }
    if (keyword == "mouse_pointer") {
        return Take(line, ParseMousePointer(line, 1), &fields.mousePointer);
    }
    if (keyword == "flags") {
        fields.flags = 0;
        for (size_t i = 1; i < line.tokens.size(); ++i) {
            const Token& token = line.tokens[i];
            bool named = false;
            for (const FlagName& flag : kUnitFlagNames) {
                if (!token.quoted && token.text == flag.name) fields.flags |= flag.bit, named = true;
            }
            if (named) continue;
            auto bits = ParseWord(token);
            if (!bits) return Fail(line, "unknown flag '" + token.text + "'");
            fields.flags |= *bits;
        }
        return true;
    }
    // Anything else is an own property of the unit's type.
    auto data = components::MakeComponentData(fields.typeReference);
    if (!data) {
        return Fail(line, "unknown field '" + keyword + "' (type " + TypeName(fields.typeReference) +
                              " has no named properties; give its data as bytes with 'data')");
    }
    if (data->FindField(keyword) < 0) {
        return Fail(line, "unknown property '" + keyword + "' for type " + TypeName(fields.typeReference));
    }
    unit.properties.push_back(&line);
    return true;
}

bool Compiler::Resolve(const PendingForm& form, const UnitReference& reference, uint32_t* id) {
    const SourceLine& line = *reference.line;
    const Token& token = line.tokens[reference.token];
    if (!token.quoted) {
        return Take(line, ParseWord(token), id);
    }
    std::string name;
    if (!Take(line, ParseText(token), &name)) return false;
    const PendingUnit* found = nullptr;
    for (const PendingUnit& unit : form.units) {
        if (unit.fields.name != name) continue;
        if (found) return Fail(line, "unit name \"" + token.text + "\" is not unique in this form; use the id");
        found = &unit;
    }
    if (!found) return Fail(line, "no unit named \"" + token.text + "\" in this form");
    *id = found->fields.id;
    return true;
}

bool Compiler::BuildOwnData(PendingUnit& unit) {
    rt::UnitFields& fields = unit.fields;
    if (unit.dataLine) {
        if (unit.versionLine || !unit.properties.empty()) {
            return Fail(*unit.dataLine, "data bytes and named properties cannot be mixed in one unit");
        }
        return Take(*unit.dataLine, ParseBlob(*unit.dataLine, 1), &fields.ownData);
    }
    if (!unit.versionLine && unit.properties.empty()) return true;  // empty data: all defaults
    auto data = components::MakeComponentData(fields.typeReference);
    if (!data) {
        return Fail(unit.versionLine ? *unit.versionLine : *unit.header,
                    "type " + TypeName(fields.typeReference) + " has no named properties");
    }
    uint32_t version = data->MaxVersion();
    if (unit.versionLine) {
        int64_t number;
        const SourceLine& line = *unit.versionLine;
        if (!Check(line, ExpectTokens(line, 1, 1)) ||
            !Take(line, ParseInteger(line.tokens[1], 0, data->MaxVersion()), &number)) {
            return false;
        }
        version = static_cast<uint32_t>(number);
    }
    data->SetVersion(version);
    for (const SourceLine* line : unit.properties) {
        const int field = data->FindField(line->tokens[0].text);
        const components::FieldInfo& info = data->Info(field);
        if (info.sinceVersion > version) {
            return Fail(*line, std::string("property ") + info.name + " needs data version " +
                                   std::to_string(info.sinceVersion) + " (this unit has " + std::to_string(version) + ")");
        }
        components::FieldValue value;
        if (!Take(*line, ParseFieldValue(*line, 1, info), &value)) return false;
        data->Set(field, value);
    }
    fields.ownData = data->Write();
    return true;
}

bool Compiler::FinishForm() {
    if (!form_) return true;
    PendingForm& form = *form_;
    for (PendingUnit& unit : form.units) {
        if (unit.parent && !Resolve(form, *unit.parent, &unit.fields.parent)) return false;
        if (unit.eventSource && !Resolve(form, *unit.eventSource, &unit.fields.eventSource)) return false;
        for (const auto& child : unit.children) {
            uint32_t id = 0;
            if (child && !Resolve(form, *child, &id)) return false;
            unit.fields.children.push_back(id);
        }
        if (!BuildOwnData(unit)) return false;
    }
    // A container without a children line lists the units that name it as
    // parent, in source order.
    std::vector<rt::UnitFields> units;
    for (PendingUnit& unit : form.units) {
        if (!unit.childrenGiven && !unit.fields.IsMenuItem() && unit.fields.id != 0) {
            for (const PendingUnit& other : form.units) {
                if (&other != &unit && !other.fields.IsMenuItem() && other.fields.parent == unit.fields.id) {
                    unit.fields.children.push_back(other.fields.id);
                }
            }
        }
        units.push_back(unit.fields);
    }
    if (form.record.SetUnits(units) != rt::ReadStatus::kOk) {
        return Fail(*form.header, "a unit name, tag or caption holds a NUL byte");
    }
    template_.forms.push_back(std::move(form.record));
    form_.reset();
    return true;
}

}  // namespace

common::Result<CompileResult> CompileTemplate(const std::string& sourcePath, const CompileOptions& options) {
    auto read = ReadSourceLines(sourcePath);
    if (!read) return read.error();
    const std::vector<SourceLine>& lines = *read;

    CompileResult out;
    const SourceLine* handlersLine = nullptr;
    for (const SourceLine& line : lines) {
        if (line.tokens[0].quoted || line.tokens[0].text != "handlers") continue;
        if (handlersLine) {
            return common::Error{
                Located(line, "a second handlers line (the first is at " + Located(*handlersLine, "") + ")")};
        }
        if (line.tokens.size() != 2 || !line.tokens[1].quoted) {
            return common::Error{Located(line, "handlers needs one quoted file name")};
        }
        handlersLine = &line;
    }
    if (!options.handlerFile.empty()) {
        out.handlerFile = options.handlerFile;
    } else if (handlersLine) {
        out.handlerFile = ResolvePath(*handlersLine, handlersLine->tokens[1].text);
    }
    if (!out.handlerFile.empty()) {
        auto handlers = ReadHandlerTable(out.handlerFile);
        if (!handlers) {
            if (handlersLine && options.handlerFile.empty()) {
                return common::Error{Located(*handlersLine, handlers.error().message)};
            }
            return handlers.error();
        }
        out.handlers = std::move(*handlers);
    }

    Compiler compiler(lines, out.handlers, !out.handlerFile.empty());
    auto compiled = compiler.Run();
    if (!compiled) return compiled.error();
    out.formTemplate = std::move(*compiled);
    return out;
}

}  // namespace formsource
