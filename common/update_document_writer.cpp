#include "common/update_document_writer.h"

#include "common/utc_time.h"
#include "common/xml_escape.h"

namespace common {
namespace {

std::string Opening(std::string_view version) {
    return "<?xml version=\"1.0\" encoding=\"gbk\"?>\r\n<Info>\r\n  <Version>" + EscapeXml(version) +
           "</Version>\r\n";
}

constexpr std::string_view kClosing = "</Info>\r\n";

}  // namespace

std::string WriteUpdateDocument(const UpdateDocument& document) {
    std::string xml = Opening(document.version);
    xml += "  <Expires>" + FormatUtcTime(document.expires) + "</Expires>\r\n";
    xml += "  <Sequence>" + std::to_string(document.sequence) + "</Sequence>\r\n";
    xml += "  <Files base=\"" + EscapeXml(document.base) + "\">\r\n";
    for (const ListedFile& file : document.files) {
        xml += "    <File path=\"" + EscapeXml(file.path) + "\" size=\"" + std::to_string(file.size) +
               "\" sha256=\"" + EscapeXml(file.sha256) + "\"";
        if (file.HasChunkIndex())
            xml += " chunks-size=\"" + std::to_string(file.chunksSize) + "\" chunks-sha256=\"" +
                   EscapeXml(file.chunksSha256) + "\"";
        xml += "/>\r\n";
    }
    xml += "  </Files>\r\n";
    xml += kClosing;
    return xml;
}

std::string WriteVersionDocument(std::string_view version) { return Opening(version) + std::string(kClosing); }

}  // namespace common
