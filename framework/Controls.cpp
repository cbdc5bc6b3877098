#include "Controls.h"

#include "TextCodec.h"

int CComboBox::AddString(const std::string& gbk) const
{
    const std::wstring wide = Widen(gbk);
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

std::string CComboBox::GetLBText(int index) const
{
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR || length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return Narrow(text);
}

int CComboBox::FindExact(const std::string& gbk) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        if (GetLBText(i) == gbk)
            return i;
    }
    return -1;
}
