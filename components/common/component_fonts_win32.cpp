#include "components/common/component_fonts_win32.h"

#include <cstring>
#include <string>

#include "runtime/text_conversion_win32.h"

namespace components {
namespace {

// A Western or "any" set gives no Chinese glyphs on a system whose locale is
// not Chinese; symbol and other explicit sets are kept.
BYTE ChineseCapableCharSet(BYTE charSet) {
    return charSet == ANSI_CHARSET || charSet == DEFAULT_CHARSET ? static_cast<BYTE>(GB2312_CHARSET) : charSet;
}

}  // namespace

HFONT DefaultComponentFont() {
    static HFONT font = [] {
        LOGFONTW logFont{};
        auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        if (!GetObjectW(stock, sizeof logFont, &logFont)) return stock;
        if (ChineseCapableCharSet(logFont.lfCharSet) == logFont.lfCharSet) return stock;
        logFont.lfCharSet = ChineseCapableCharSet(logFont.lfCharSet);
        HFONT created = CreateFontIndirectW(&logFont);
        return created ? created : stock;
    }();
    return font;
}

HFONT CreateStoredFont(const std::optional<rt::LogFont>& font) {
    if (!font) return nullptr;
    LOGFONTW logFont{};
    logFont.lfHeight = font->lfHeight;
    logFont.lfWidth = font->lfWidth;
    logFont.lfEscapement = font->lfEscapement;
    logFont.lfOrientation = font->lfOrientation;
    logFont.lfWeight = font->lfWeight;
    logFont.lfItalic = font->lfItalic;
    logFont.lfUnderline = font->lfUnderline;
    logFont.lfStrikeOut = font->lfStrikeOut;
    logFont.lfCharSet = ChineseCapableCharSet(font->lfCharSet);
    logFont.lfOutPrecision = font->lfOutPrecision;
    logFont.lfClipPrecision = font->lfClipPrecision;
    logFont.lfQuality = font->lfQuality;
    logFont.lfPitchAndFamily = font->lfPitchAndFamily;
    std::wstring face = rt::WideFromGbk(font->FaceName());
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::memcpy(logFont.lfFaceName, face.c_str(), (face.size() + 1) * sizeof(wchar_t));
    return CreateFontIndirectW(&logFont);
}

}  // namespace components
