// The runtime's names for the shared GBK conversion of text crossing into Windows.
#pragma once

#include "common/text/gbk_conversion_win32.h"

namespace rt {

using common::GbkFromWide;
using common::kGbkCodePage;
using common::WideFromGbk;

}  // namespace rt
