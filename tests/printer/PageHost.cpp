#include "PageHost.h"

#include <gtest/gtest.h>

PageHost::PageHost() : m_page(std::make_unique<CPagePrinter>())
{
    m_host = ::CreateWindowExW(0, L"STATIC", L"printer page host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700, nullptr,
        nullptr, ::GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(m_host, nullptr);
    EXPECT_TRUE(m_page->Create(m_host));
}

PageHost::~PageHost()
{
    m_page.reset();
    if (m_host)
        ::DestroyWindow(m_host);
}

void PageHost::Click(int id) const
{
    m_page->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(m_page->GetDlgItem(id)));
}

bool PageHost::Shown(int id) const
{
    return (::GetWindowLongW(m_page->GetDlgItem(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool PageHost::Checked(int id) const
{
    return ::SendMessageW(m_page->GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PageHost::SetChecked(int id, bool checked) const
{
    ::SendMessageW(m_page->GetDlgItem(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}
