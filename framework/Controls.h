// One-line wrappers over the common controls the pages bind. Texts are GBK.
#pragma once

#include "Wnd.h"

#include <commctrl.h>

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CEdit : public CWnd { };

class CTabCtrl : public CWnd { };

class CComboBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    int AddString(const std::string& gbk) const;
    std::string GetLBText(int index) const;
    // Index of the first entry equal to text, compared byte for byte (the control's own search
    // ignores letter case, which the settings must not); -1 when there is none.
    int FindExact(const std::string& gbk) const;
    // Selects that entry, or none when there is none.
    void SelectExact(const std::string& gbk) const { SetCurSel(FindExact(gbk)); }
};
