#include "services/xml_parser.h"

#include <vector>

#include "common/ascii.h"
#include "common/text/gbk.h"
#include "services/xml_entities.h"

namespace services {
namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) { return common::Trimmed(text, common::kXmlSpaces); }

// Index of the next byte, taking a double-byte character whole.
size_t Next(std::string_view text, size_t i) {
    return i + common::CharacterStep(text, i, common::IsXmlCommandLeadByte);
}

// Position of `pattern` at or after `from`, found on character boundaries.
size_t FindOnBoundary(std::string_view text, size_t from, std::string_view pattern) {
    for (size_t i = from; i < text.size(); i = Next(text, i)) {
        if (text.substr(i, pattern.size()) == pattern) return i;
    }
    return std::string_view::npos;
}

class XmlParser {
public:
    explicit XmlParser(std::string_view text) : text_(text) {}

    XmlParseStatus Run(std::unique_ptr<XmlElement>* root) {
        while (position_ < text_.size()) {
            XmlParseStatus status = text_[position_] == '<' ? Markup() : CharacterData();
            if (status != XmlParseStatus::kOk) return status;
        }
        if (!open_.empty()) return XmlParseStatus::kUnclosedElement;
        if (!root_) return XmlParseStatus::kNoRootElement;
        *root = std::move(root_);
        return XmlParseStatus::kOk;
    }

private:
    struct OpenElement {
        XmlElement* element;
        bool valueTaken;
    };

    XmlParseStatus CharacterData() {
        size_t start = position_;
        while (position_ < text_.size() && text_[position_] != '<') {
            if (text_[position_] == '>') return XmlParseStatus::kClosingBracketInText;
            position_ = Next(text_, position_);
        }
        if (!open_.empty()) {
            OpenElement& top = open_.back();
            std::string_view run = Trimmed(text_.substr(start, position_ - start));
            // Only the first non-blank run counts; nothing follows a CDATA value.
            if (!top.valueTaken && !run.empty()) {
                top.element->value.assign(run);
                top.valueTaken = true;
            }
        }
        return XmlParseStatus::kOk;
    }

    XmlParseStatus Markup() {
        std::string_view rest = text_.substr(position_);
        if (rest.substr(0, 9) == "<![CDATA[") return CData();
        if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?')) return SkipDeclaration();
        if (rest.size() > 1 && rest[1] == '/') return EndTag();
        return StartTag();
    }

    XmlParseStatus CData() {
        size_t begin = position_ + 9;
        size_t end = FindOnBoundary(text_, begin, "]]>");
        if (end == std::string_view::npos) return XmlParseStatus::kUnterminatedMarkup;
        if (!open_.empty() && !open_.back().element->isCData) {
            OpenElement& top = open_.back();
            top.element->value.assign(Trimmed(text_.substr(begin, end - begin)));
            top.element->isCData = true;
            top.valueTaken = true;
        }
        position_ = end + 3;
        return XmlParseStatus::kOk;
    }

    XmlParseStatus SkipDeclaration() {
        size_t end = FindOnBoundary(text_, position_ + 2, ">");
        if (end == std::string_view::npos) return XmlParseStatus::kUnterminatedMarkup;
        position_ = end + 1;
        return XmlParseStatus::kOk;
    }

    XmlParseStatus EndTag() {
        size_t begin = position_ + 2;
        size_t end = FindOnBoundary(text_, begin, ">");
        if (end == std::string_view::npos) return XmlParseStatus::kUnterminatedMarkup;
        std::string_view name = Trimmed(text_.substr(begin, end - begin));
        if (open_.empty()) return XmlParseStatus::kEndTagWithoutElement;
        if (name != open_.back().element->name) return XmlParseStatus::kMismatchedEndTag;
        open_.pop_back();
        position_ = end + 1;
        return XmlParseStatus::kOk;
    }

    // A name runs to white space, "=", ">", "/", "<" or a double quote.
    size_t NameEnd(size_t i) const {
        while (i < text_.size()) {
            char c = text_[i];
            if (IsXmlSpace(c) || c == '=' || c == '>' || c == '/' || c == '<' || c == '"') break;
            i = Next(text_, i);
        }
        return i;
    }

    size_t SkipSpace(size_t i) const {
        while (i < text_.size() && IsXmlSpace(text_[i])) ++i;
        return i;
    }

    XmlParseStatus StartTag() {
        auto element = std::make_unique<XmlElement>();
        size_t i = position_ + 1;
        size_t nameEnd = NameEnd(i);
        if (nameEnd == i) return XmlParseStatus::kEmptyTagName;
        element->name.assign(text_.substr(i, nameEnd - i));
        i = nameEnd;

        bool selfClosing = false;
        for (;;) {
            i = SkipSpace(i);
            if (i >= text_.size()) return XmlParseStatus::kUnterminatedMarkup;
            char c = text_[i];
            if (c == '>') {
                ++i;
                break;
            }
            if (c == '/') {
                if (i + 1 >= text_.size()) return XmlParseStatus::kUnterminatedMarkup;
                if (text_[i + 1] != '>') return XmlParseStatus::kMalformedTag;
                i += 2;
                selfClosing = true;
                break;
            }
            if (c == '"') return XmlParseStatus::kQuoteInAttributeName;
            if (c == '<' || c == '=') return XmlParseStatus::kMalformedTag;
            XmlParseStatus status = Attribute(&i, element.get());
            if (status != XmlParseStatus::kOk) return status;
        }
        position_ = i;
        Attach(std::move(element), selfClosing);
        return XmlParseStatus::kOk;
    }

    XmlParseStatus Attribute(size_t* cursor, XmlElement* element) {
        size_t i = *cursor;
        size_t nameEnd = NameEnd(i);
        XmlAttribute attribute{std::string(text_.substr(i, nameEnd - i)), "1"};
        size_t afterName = SkipSpace(nameEnd);
        if (afterName < text_.size() && text_[afterName] == '=') {
            i = SkipSpace(afterName + 1);
            if (i < text_.size() && text_[i] == '"') {
                size_t close = FindOnBoundary(text_, i + 1, "\"");
                if (close == std::string_view::npos) return XmlParseStatus::kUnterminatedMarkup;
                attribute.value.assign(text_.substr(i + 1, close - i - 1));
                i = close + 1;
            } else {
                size_t begin = i;
                while (i < text_.size() && !IsXmlSpace(text_[i]) && text_[i] != '>' &&
                       !(text_[i] == '/' && i + 1 < text_.size() && text_[i + 1] == '>')) {
                    i = Next(text_, i);
                }
                attribute.value.assign(text_.substr(begin, i - begin));
            }
        } else {
            i = nameEnd;
        }
        element->attributes.push_back(std::move(attribute));
        *cursor = i;
        return XmlParseStatus::kOk;
    }

    void Attach(std::unique_ptr<XmlElement> element, bool selfClosing) {
        XmlElement* raw = element.get();
        if (open_.empty()) {
            root_ = std::move(element);  // a later top-level element replaces the root
        } else {
            open_.back().element->children.push_back(std::move(element));
        }
        if (!selfClosing) open_.push_back({raw, false});
    }

    std::string_view text_;
    size_t position_ = 0;
    std::vector<OpenElement> open_;
    std::unique_ptr<XmlElement> root_;
};

}  // namespace

std::string RemoveXmlComments(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        if (bytes.substr(i, 4) == "<!--") {
            size_t end = FindOnBoundary(bytes, i + 4, "-->");
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        size_t next = Next(bytes, i);
        out.append(bytes.substr(i, next - i));
        i = next;
    }
    return out;
}

XmlParseStatus ParseXml(std::string_view text, std::unique_ptr<XmlElement>* root) {
    root->reset();
    return XmlParser(text).Run(root);
}

}  // namespace services
