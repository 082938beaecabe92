// Commands of the XML-tree component. The component argument is a record of
// type kXmlParserType carrying a pointer to the caller's XmlDocumentHolder
// (see MakeXmlHolderArgument); any other record leaves the command neutral.
#pragma once

#include <cstdint>

#include "runtime/type_references.h"
#include "runtime/value_record.h"
#include "services/xml_document.h"

namespace services {

// Library 3 (XML), type 1.
constexpr uint32_t kXmlParserType = rt::kXmlParserTypeReference;

rt::ValueRecord MakeXmlHolderArgument(XmlDocumentHolder* holder);
XmlDocumentHolder* XmlHolderFromArgument(const rt::ValueRecord& argument);

// A by-reference logical variable: a bool record whose payload holds the
// variable's address (a 32-bit logical).
rt::ValueRecord MakeBoolReference(int32_t* variable);

// holder, source (text: file name; byte set: the document) -> bool
void LoadXml(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
// holder, path, found? (bool reference, written) -> text
void GetNodeText(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);
// holder -> bool (true when a document was held)
void ReleaseXml(rt::ValueRecord* result, int argumentCount, rt::ValueRecord* arguments);

}  // namespace services
