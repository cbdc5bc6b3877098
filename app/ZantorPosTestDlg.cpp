#include "ZantorPosTestDlg.h"

#include "framework/TextUtils.h"
#include "app/ZantorPosTestApp.h"
#include "devices/pos_ad.h"
#include "settings/Settings.h"

#include <cstring>

namespace {

const int kMinWidth = 800;
const int kMinHeight = 600;

} // namespace

std::string MakeMainCaption(const std::string& fileVersion, const std::string& dllVersion)
{
    return "POS称配置工具V" + fileVersion + "  DllVersion:" + dllVersion;
}

CZantorPosTestDlg::CZantorPosTestDlg()
    : CDialogEx(IDD), m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

CZantorPosTestDlg::~CZantorPosTestDlg()
{
    // Readings from the scale SDK must find no page once this window object is gone.
    CPageScale* expected = &m_pageScale;
    theApp.m_pPageScale.compare_exchange_strong(expected, nullptr);
    // The pages and fonts are members: their windows go with this one while all of them exist.
    DestroyWindow();
}

void CZantorPosTestDlg::DoDataExchange()
{
    DDX_Control(IDC_BTN_SCALE, m_btnScale);
    DDX_Control(IDC_BTN_PRINTER, m_btnPrinter);
    DDX_Control(IDC_BTN_SETUP, m_btnSetup);
    DDX_Control(IDC_TAB_PAGES, m_tabCtrl);
}

BOOL CZantorPosTestDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    theApp.m_hMainWnd = m_hWnd;

    LayoutControls(TRUE);
    LayoutControls(FALSE);

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    loadSettings(g_settings);

    // The library is not told the buffer's size, so it is far larger than a version text needs:
    // a library that writes a long one must not overrun the stack. The text ends at its NUL, or
    // at the buffer's end for a library that writes none.
    char dllVersion[256] = {};
    GetDllVersion(dllVersion);
    const std::string dllText(dllVersion, ::strnlen(dllVersion, sizeof dllVersion));
    SetWindowText(MakeMainCaption(GetFileVersionText(), dllText));

    CreateFonts();
    CreatePages();

    ShowPage(kPagePrinter);
    return TRUE;
}

void CZantorPosTestDlg::CreateFonts()
{
    m_fontNormal.CreateFont(22, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, FF_SWISS, "宋体");
    m_fontBold.CreateFont(22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, FF_SWISS, "宋体");
    for (int id : {IDC_BTN_SCALE, IDC_BTN_PRINTER, IDC_BTN_SETUP, IDC_BTN_CLOSE})
        Item(id).SetFont(m_fontNormal);
}

void CZantorPosTestDlg::CreatePages()
{
    const RECT tab = m_tabCtrl.GetClientRect();
    m_pageSetup.Create(m_tabCtrl.m_hWnd);
    m_pagePrinter.Create(m_tabCtrl.m_hWnd);
    m_pageScale.Create(m_tabCtrl.m_hWnd);
    theApp.m_pPageScale = &m_pageScale;

    // The pages leave 1 pixel of the tab area free at the left and top, 2 at the right and 20
    // at the bottom; they are never moved again.
    const int x = tab.left + 1;
    const int y = tab.top + 1;
    const int width = (tab.right - 2) - x;
    const int height = (tab.bottom - 20) - y;
    for (CDialogEx* page : {static_cast<CDialogEx*>(&m_pageSetup), static_cast<CDialogEx*>(&m_pagePrinter),
             static_cast<CDialogEx*>(&m_pageScale)})
        page->MoveWindow(x, y, width, height, true);
}

// The message map, one line a control, as laid out by hand.
// clang-format off
bool CZantorPosTestDlg::OnCommand(int id, int notifyCode)
{
    if (notifyCode == BN_CLICKED) {
        switch (id) {
        case IDC_BTN_SCALE:   ShowPage(kPageScale); return true;
        case IDC_BTN_PRINTER: ShowPage(kPagePrinter); return true;
        case IDC_BTN_SETUP:   ShowPage(kPageSetup); return true;
        case IDC_BTN_CLOSE:   OnCancel(); return true;
        default: break;
        }
    }
    return CDialogEx::OnCommand(id, notifyCode);
}
// clang-format on

INT_PTR CZantorPosTestDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (!::IsIconic(m_hWnd))
            return FALSE;
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_SIZING:
        OnSizing(static_cast<UINT>(wParam), reinterpret_cast<RECT*>(lParam));
        SetMessageResult(TRUE);
        return TRUE;
    default: return CDialogEx::WindowProc(message, wParam, lParam);
    }
}

void CZantorPosTestDlg::ShowPage(int page)
{
    m_pageSetup.ShowWindow(SW_HIDE);
    m_pagePrinter.ShowWindow(SW_HIDE);
    m_pageScale.ShowWindow(SW_HIDE);

    m_btnScale.SetFont(m_fontNormal);
    m_btnPrinter.SetFont(m_fontNormal);
    m_btnSetup.SetFont(m_fontNormal);

    switch (page) {
    case kPageScale:
        m_pageScale.ShowWindow(SW_SHOW);
        m_btnScale.SetFont(m_fontBold);
        break;
    case kPagePrinter:
        m_pagePrinter.ShowWindow(SW_SHOW);
        m_pagePrinter.RefreshDrawerStatusControls();
        m_btnPrinter.SetFont(m_fontBold);
        break;
    case kPageSetup:
        m_pageSetup.ShowWindow(SW_SHOW);
        m_btnSetup.SetFont(m_fontBold);
        break;
    default: break;
    }
}

void CZantorPosTestDlg::LayoutControls(BOOL capture)
{
    const RECT client = GetClientRect();
    const CWnd closeButton = Item(IDC_BTN_CLOSE);
    const RECT close = GetChildRect(closeButton.GetSafeHwnd());
    const RECT tab = GetChildRect(m_tabCtrl.GetSafeHwnd());

    if (capture) {
        m_anchors.closeRight = client.right - close.right;
        m_anchors.tabRight = client.right - tab.right;
        m_anchors.tabBottom = client.bottom - tab.bottom;
    } else {
        // The page buttons stay where the template put them; the close button's right edge and
        // the tab area's right and bottom edges keep their distance to the client area's.
        auto stretch = [](const CWnd& control, const RECT& rect, int right, int bottom) {
            control.MoveWindow(rect.left, rect.top, right - rect.left, bottom - rect.top, false);
        };
        stretch(closeButton, close, client.right - m_anchors.closeRight, close.bottom);
        stretch(m_tabCtrl, tab, client.right - m_anchors.tabRight, client.bottom - m_anchors.tabBottom);
    }

    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_hWnd);
}

void CZantorPosTestDlg::OnSizing(UINT edge, RECT* rect)
{
    if (!rect)
        return;
    if (rect->right - rect->left < kMinWidth) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
            rect->left = rect->right - kMinWidth;
        else
            rect->right = rect->left + kMinWidth;
    }
    if (rect->bottom - rect->top < kMinHeight) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
            rect->top = rect->bottom - kMinHeight;
        else
            rect->bottom = rect->top + kMinHeight;
    }
}

void CZantorPosTestDlg::OnSize(UINT /*type*/, int /*cx*/, int /*cy*/)
{
    if (m_hWnd && ::GetWindow(m_hWnd, GW_CHILD))
        LayoutControls(FALSE);
}

void CZantorPosTestDlg::OnPaint()
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const RECT client = GetClientRect();
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
}
