// The XML parser behind the XML-tree component: a comment filter and a parser
// for the documents the launcher reads. Double-byte aware throughout; it never
// reads past its input and reports failure through its status.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "services/xml_element.h"

namespace services {

enum class XmlParseStatus {
    kOk,
    kNoRootElement,
    kUnterminatedMarkup,     // input ends inside a tag, declaration, CDATA section or quoted value
    kEmptyTagName,
    kMalformedTag,           // a stray "/" or "<" inside a start tag
    kQuoteInAttributeName,
    kEndTagWithoutElement,
    kMismatchedEndTag,
    kClosingBracketInText,
    kUnclosedElement,
};

// Removes every "<!-- ... -->" (an unterminated comment runs to the end).
std::string RemoveXmlComments(std::string_view bytes);

// Parses comment-free text. On success *root holds the root element; on
// failure it is left empty.
XmlParseStatus ParseXml(std::string_view text, std::unique_ptr<XmlElement>* root);

}  // namespace services
