#include "app/ZantorPosTestApp.h"
#include "app/ZantorPosTestDlg.h"
#include "fakes/FakePosAd.h"
#include "settings/Settings.h"
#include "support/SeamRecorder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <map>
#include <memory>
#include <thread>
#include <typeinfo>
#include <vector>

namespace {

bool IsBold(const CWnd& button)
{
    LOGFONTW font {};
    ::GetObjectW(button.GetFont(), sizeof font, &font);
    return font.lfWeight == FW_BOLD;
}

RECT RectIn(const CWnd& parent, int id)
{
    return parent.GetChildRect(parent.GetDlgItem(id));
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_pos_ad::Reset();
        g_settings.iniPath = FreshTestFolder("MainWindow") + "scales.ini";
    }

    void Open()
    {
        dlg = std::make_unique<CZantorPosTestDlg>();
        ASSERT_TRUE(dlg->Create(nullptr));
    }

    void Click(int id) { dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    void TearDown() override { dlg.reset(); }

    SeamRecorder seams;
    std::unique_ptr<CZantorPosTestDlg> dlg;
};

TEST_F(MainWindow, CaptionNamesProgramAndLibraryVersions)
{
    fake_pos_ad::SetVersion("FakeAD 1.0");
    Open();
    EXPECT_EQ(dlg->GetWindowText(), "POS称配置工具V4.0.21.1101  DllVersion:FakeAD 1.0");
    EXPECT_EQ(fake_pos_ad::CallsOf("GetDllVersion").size(), 1u);
}

TEST_F(MainWindow, CaptionWithEmptyAndLongLibraryVersions)
{
    fake_pos_ad::SetVersion("");
    Open();
    EXPECT_EQ(dlg->GetWindowText(), "POS称配置工具V4.0.21.1101  DllVersion:");
    dlg.reset();

    // 40 characters and a NUL from a library: shown whole.
    const std::string forty = "Maker POS AD library 3.1.4 build 2026-12";
    ASSERT_EQ(forty.size(), 40u);
    fake_pos_ad::SetVersion(forty);
    Open();
    EXPECT_EQ(dlg->GetWindowText(), "POS称配置工具V4.0.21.1101  DllVersion:" + forty);
}

TEST_F(MainWindow, LoadsTheSettingsBeforeThePagesExist)
{
    WriteWholeFile(g_settings.iniPath, "[POS]\r\nTYPE=2\r\n");
    g_settings.machineModel = 0;
    Open();
    EXPECT_EQ(g_settings.machineModel, 2);
}

TEST_F(MainWindow, StartsOnThePrinterPageWithItsButtonBold)
{
    Open();
    EXPECT_TRUE(dlg->m_pagePrinter.IsWindowVisible());
    EXPECT_FALSE(dlg->m_pageScale.IsWindowVisible());
    EXPECT_FALSE(dlg->m_pageSetup.IsWindowVisible());
    EXPECT_TRUE(IsBold(dlg->m_btnPrinter));
    EXPECT_FALSE(IsBold(dlg->m_btnScale));
    EXPECT_FALSE(IsBold(dlg->m_btnSetup));
    EXPECT_FALSE(IsBold(CWnd(dlg->GetDlgItem(IDC_BTN_CLOSE))));
    EXPECT_EQ(theApp.m_pPageScale.load(), &dlg->m_pageScale);
}

TEST_F(MainWindow, PageButtonsShowOnePageAndBoldOneButton)
{
    Open();
    struct Step {
        int button;
        CDialogEx* page;
        CButton* bold;
    };
    const Step steps[] = {
        {IDC_BTN_SCALE, &dlg->m_pageScale, &dlg->m_btnScale},
        {IDC_BTN_SCALE, &dlg->m_pageScale, &dlg->m_btnScale},
        {IDC_BTN_SETUP, &dlg->m_pageSetup, &dlg->m_btnSetup},
        {IDC_BTN_PRINTER, &dlg->m_pagePrinter, &dlg->m_btnPrinter},
    };
    for (const Step& step : steps) {
        Click(step.button);
        for (CDialogEx* page : {static_cast<CDialogEx*>(&dlg->m_pageScale), static_cast<CDialogEx*>(&dlg->m_pageSetup),
                 static_cast<CDialogEx*>(&dlg->m_pagePrinter)})
            EXPECT_EQ(page->IsWindowVisible(), page == step.page) << "after button " << step.button;
        for (CButton* button : {&dlg->m_btnScale, &dlg->m_btnSetup, &dlg->m_btnPrinter})
            EXPECT_EQ(IsBold(*button), button == step.bold) << "after button " << step.button;
    }
}

TEST_F(MainWindow, PagesAreChildrenOfTheTabAreaAndFitInsideIt)
{
    Open();
    const RECT tab = dlg->m_tabCtrl.GetClientRect();
    for (CDialogEx* page : {static_cast<CDialogEx*>(&dlg->m_pageScale), static_cast<CDialogEx*>(&dlg->m_pageSetup),
             static_cast<CDialogEx*>(&dlg->m_pagePrinter)}) {
        EXPECT_EQ(::GetParent(page->m_hWnd), dlg->m_tabCtrl.m_hWnd);
        const RECT r = dlg->m_tabCtrl.GetChildRect(page->m_hWnd);
        EXPECT_EQ(r.left, tab.left + 1);
        EXPECT_EQ(r.top, tab.top + 1);
        EXPECT_EQ(r.right, tab.right - 2);
        EXPECT_EQ(r.bottom, tab.bottom - 20);
    }
}

TEST_F(MainWindow, ResizingKeepsButtonsAndStretchesCloseButtonAndTabArea)
{
    Open();
    const RECT client0 = dlg->GetClientRect();
    const RECT scale0 = RectIn(*dlg, IDC_BTN_SCALE), printer0 = RectIn(*dlg, IDC_BTN_PRINTER);
    const RECT setup0 = RectIn(*dlg, IDC_BTN_SETUP), close0 = RectIn(*dlg, IDC_BTN_CLOSE);
    const RECT tab0 = RectIn(*dlg, IDC_TAB_PAGES);

    for (const SIZE grow : {SIZE {150, 90}, SIZE {40, 300}, SIZE {0, 0}}) {
        RECT window {};
        ::GetWindowRect(dlg->m_hWnd, &window);
        ::SetWindowPos(dlg->m_hWnd, nullptr, 0, 0, (window.right - window.left) + grow.cx,
            (window.bottom - window.top) + grow.cy, SWP_NOMOVE | SWP_NOZORDER);
        const RECT client = dlg->GetClientRect();
        const int dx = client.right - client0.right, dy = client.bottom - client0.bottom;

        for (const auto& [id, before] : {std::pair {IDC_BTN_SCALE, scale0}, std::pair {IDC_BTN_PRINTER, printer0},
                 std::pair {IDC_BTN_SETUP, setup0}}) {
            const RECT now = RectIn(*dlg, id);
            EXPECT_TRUE(::EqualRect(&now, &before)) << "button " << id << " moved";
        }
        const RECT close = RectIn(*dlg, IDC_BTN_CLOSE);
        EXPECT_EQ(close.left, close0.left);
        EXPECT_EQ(close.top, close0.top);
        EXPECT_EQ(close.bottom, close0.bottom);
        EXPECT_EQ(close.right, close0.right + dx);

        const RECT tab = RectIn(*dlg, IDC_TAB_PAGES);
        EXPECT_EQ(tab.left, tab0.left);
        EXPECT_EQ(tab.top, tab0.top);
        EXPECT_EQ(tab.right, tab0.right + dx);
        EXPECT_EQ(tab.bottom, tab0.bottom + dy);

        // Restore the original size for the next step.
        ::SetWindowPos(dlg->m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
            SWP_NOMOVE | SWP_NOZORDER);
    }
}

TEST_F(MainWindow, SizingIsClampedTo800By600FromEachEdge)
{
    Open();
    struct Case {
        UINT edge;
        RECT expected;
    };
    // Proposed rectangle 700 x 500 at (100, 100)-(800, 600).
    const Case cases[] = {
        {WMSZ_LEFT, {0, 100, 800, 700}},
        {WMSZ_RIGHT, {100, 100, 900, 700}},
        {WMSZ_TOP, {100, 0, 900, 600}},
        {WMSZ_BOTTOM, {100, 100, 900, 700}},
        {WMSZ_TOPLEFT, {0, 0, 800, 600}},
        {WMSZ_TOPRIGHT, {100, 0, 900, 600}},
        {WMSZ_BOTTOMLEFT, {0, 100, 800, 700}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 900, 700}},
    };
    for (const Case& c : cases) {
        RECT proposed {100, 100, 800, 600};
        dlg->SendMessage(WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&proposed));
        EXPECT_TRUE(::EqualRect(&proposed, &c.expected))
            << "edge " << c.edge << ": " << proposed.left << "," << proposed.top << "," << proposed.right << ","
            << proposed.bottom;
    }
    RECT large {10, 20, 1010, 820};
    const RECT same = large;
    dlg->SendMessage(WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&large));
    EXPECT_TRUE(::EqualRect(&large, &same));
}

LRESULT CALLBACK CountPaints(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_PAINT)
        ++*reinterpret_cast<int*>(data);
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST_F(MainWindow, ASizeMessageBeforeTheControlsExistDoesNothing)
{
    // Stands for the screen: a layout run without controls would repaint it (the whole desktop,
    // when the object has no window yet) or the bare window itself.
    const HWND screen =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(screen, nullptr);
    int paints = 0;
    ASSERT_TRUE(::SetWindowSubclass(screen, &CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints)));
    PumpMessages();

    struct Probe : CZantorPosTestDlg {
        using CZantorPosTestDlg::OnSize;
    } probe;
    for (const HWND window : {HWND {}, screen}) {
        paints = 0;
        probe.Attach(window);
        probe.OnSize(SIZE_RESTORED, 640, 480);
        PumpMessages();
        EXPECT_EQ(paints, 0) << (window ? "a window without controls" : "no window");
    }
    probe.Attach(nullptr);
    ::DestroyWindow(screen);
}

TEST_F(MainWindow, DestroyingTheWindowForgetsTheScalePage)
{
    Open();
    ASSERT_NE(theApp.m_pPageScale.load(), nullptr);
    dlg.reset();
    EXPECT_EQ(theApp.m_pPageScale.load(), nullptr);
}

// What each page window finds as it is destroyed: the class its object still is (a page whose
// derived part is gone is a bare CDialogEx, whose WindowProc lets WM_DESTROY pass unseen), and
// whether the receipt edit's font still exists.
struct Farewell {
    std::map<HWND, std::string> classOf;
    HWND receiptEdit = nullptr;
    int receiptFontType = -1;
};

LRESULT CALLBACK WatchDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto& seen = *reinterpret_cast<Farewell*>(data);
    if (message == WM_DESTROY) {
        if (hwnd == seen.receiptEdit) {
            seen.receiptFontType =
                static_cast<int>(::GetObjectType(reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0))));
        } else if (const auto* page = reinterpret_cast<CDialogEx*>(::GetWindowLongPtrW(hwnd, DWLP_USER))) {
            seen.classOf[hwnd] = typeid(*page).name();
        }
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

TEST_F(MainWindow, PageWindowsAreDestroyedWhileTheirWholeObjectsExist)
{
    Open();
    Farewell seen;
    seen.receiptEdit = dlg->m_pagePrinter.m_editReceipt.m_hWnd;
    const std::map<HWND, std::string> expected = {{dlg->m_pageSetup.m_hWnd, typeid(CPageSetup).name()},
        {dlg->m_pagePrinter.m_hWnd, typeid(CPagePrinter).name()}, {dlg->m_pageScale.m_hWnd, typeid(CPageScale).name()}};
    std::vector<HWND> watched = {seen.receiptEdit};
    for (const auto& page : expected)
        watched.push_back(page.first);
    for (HWND hwnd : watched)
        ASSERT_TRUE(::SetWindowSubclass(hwnd, &WatchDestroy, 1, reinterpret_cast<DWORD_PTR>(&seen)));
    dlg.reset();
    EXPECT_EQ(seen.classOf, expected);
    EXPECT_EQ(seen.receiptFontType, OBJ_FONT);
}

struct DialogSearch {
    HWND mainWindow;
    HWND found;
};

BOOL CALLBACK TakeVisibleDialog(HWND hwnd, LPARAM data)
{
    auto& search = *reinterpret_cast<DialogSearch*>(data);
    wchar_t cls[16] = {};
    ::GetClassNameW(hwnd, cls, 16);
    if (hwnd == search.mainWindow || !::IsWindowVisible(hwnd) || std::wstring(cls) != L"#32770")
        return TRUE;
    search.found = hwnd;
    return FALSE;
}

// Finds the file-open dialog among the top-level windows of thread, the main window aside.
HWND FindFileDialog(DWORD thread, HWND mainWindow)
{
    DialogSearch search {mainWindow, nullptr};
    ::EnumThreadWindows(thread, &TakeVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(MainWindow, TheBitmapFileDialogKeepsTheMainWindowDisabledWhileItIsUp)
{
    Open();
    CurrentSeams().openFile = RealSeams().openFile; // the real dialog, closed from another thread
    const HWND mainWindow = dlg->m_hWnd;
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<int> enabledWhileUp {-1}; // -1: the dialog was never seen
    std::thread closer([&] {
        const ULONGLONG deadline = ::GetTickCount64() + 20000;
        for (HWND dialog = nullptr; ::GetTickCount64() < deadline; ::Sleep(20)) {
            if (!dialog && (dialog = FindFileDialog(uiThread, mainWindow)) != nullptr)
                enabledWhileUp = ::IsWindowEnabled(mainWindow) ? 1 : 0;
            if (dialog && !::IsWindow(dialog))
                return;
            if (dialog)
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    dlg->m_pagePrinter.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PRN_BITMAP, BN_CLICKED), 0);
    closer.join();
    EXPECT_EQ(enabledWhileUp.load(), 0);
    EXPECT_TRUE(::IsWindowEnabled(mainWindow));
    EXPECT_TRUE(fake_pos_ad::CallsOf("PrintBitmapFile").empty());
}

// Ends itself with a command posted from its own initialisation, as a key press would.
class SelfEndingDlg : public CZantorPosTestDlg {
public:
    SelfEndingDlg(UINT message, WPARAM wParam) : m_message(message), m_wParam(wParam) { }

protected:
    BOOL OnInitDialog() override
    {
        const BOOL result = CZantorPosTestDlg::OnInitDialog();
        ::PostMessageW(m_hWnd, m_message, m_wParam, 0);
        return result;
    }

private:
    UINT m_message;
    WPARAM m_wParam;
};

TEST_F(MainWindow, EnterEscapeCloseButtonAndCloseCommandEndTheDialog)
{
    struct Case {
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    };
    const Case cases[] = {
        {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), IDOK},
        {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), IDCANCEL},
        {WM_COMMAND, MAKEWPARAM(IDC_BTN_CLOSE, BN_CLICKED), IDCANCEL},
        {WM_CLOSE, 0, IDCANCEL},
    };
    for (const Case& c : cases) {
        SelfEndingDlg modal(c.message, c.wParam);
        EXPECT_EQ(modal.DoModal(), c.result) << "message " << c.message << " wParam " << c.wParam;
    }
    EXPECT_TRUE(seams.boxes.empty());
}

} // namespace
