// The five XML character entities (and "&quote;", read as "&quot;").
#pragma once

#include <string>
#include <string_view>

namespace services {

std::string DecodeXmlEntities(std::string_view text);
// Quotes, ampersands, apostrophes and angle brackets as entities.
std::string EncodeXmlEntities(std::string_view text);

}  // namespace services
