// The printer page created from its real template inside a top-level window of its own, as the
// main window's tab area hosts it, and clicked with the messages a click sends.
#pragma once

#include "pages/printer/PagePrinter.h"

#include <memory>
#include <string>

class PageHost {
public:
    PageHost();
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    CPagePrinter& Page() { return *m_page; }
    void Click(int id) const;
    std::string Text(int id) const { return m_page->GetDlgItemText(id); }
    void SetText(int id, const std::string& gbk) const { m_page->SetDlgItemText(id, gbk); }
    // The control's own WS_VISIBLE, whatever its parents show.
    bool Shown(int id) const;
    bool Checked(int id) const;
    void SetChecked(int id, bool checked) const;

private:
    HWND m_host = nullptr;
    std::unique_ptr<CPagePrinter> m_page;
};
