#include "Font.h"

#include "TextCodec.h"

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
    const std::string& faceName)
{
    DeleteObject();
    m_hFont = ::CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
        outPrecision, clipPrecision, quality, pitchAndFamily, Widen(faceName).c_str());
    return m_hFont != nullptr;
}

void CFont::DeleteObject()
{
    if (m_hFont) {
        ::DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
}
