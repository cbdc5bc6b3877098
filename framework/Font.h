// An owned GDI font; released with its owner.
#pragma once

#include <windows.h>

#include <string>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // The face name is GBK, like every text of the program.
    bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
        BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
        const std::string& faceName);
    void DeleteObject();

    operator HFONT() const { return m_hFont; }

private:
    HFONT m_hFont = nullptr;
};
