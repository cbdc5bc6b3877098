#include "ProgramDriver.h"

#include "WindowText.h"
#include "res/resource.h"

#include <atomic>
#include <memory>
#include <thread>

namespace {

// The main window's caption begins with the program's title.
const wchar_t kCaptionStart[] = L"POS\u79f0\u914d\u7f6e\u5de5\u5177V"; // POS称配置工具V

// A control only that page has, to tell the three pages apart.
const int kOnlyOnSetup = IDC_SETUP_LOGFILE, kOnlyOnPrinter = IDC_PRN_RECEIPT, kOnlyOnScale = IDC_SCALE_OPEN;

const unsigned kPollMs = 20;

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK TakeMainWindow(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (s->processId && owner != s->processId)
        return TRUE;
    if (ClassOf(window) != L"#32770" || !::IsWindowVisible(window))
        return TRUE;
    // The caption as the window system keeps it: no message to a window that may hang.
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    if (std::wstring(caption).rfind(kCaptionStart, 0) != 0)
        return TRUE;
    s->found = window;
    return FALSE;
}

HWND FindMainWindow(DWORD processId)
{
    Search search {processId, nullptr};
    ::EnumWindows(&TakeMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int MarkOf(Page page)
{
    switch (page) {
    case Page::Setup: return kOnlyOnSetup;
    case Page::Printer: return kOnlyOnPrinter;
    case Page::Scale: return kOnlyOnScale;
    }
    return 0;
}

int ButtonOf(Page page)
{
    switch (page) {
    case Page::Setup: return IDC_BTN_SETUP;
    case Page::Printer: return IDC_BTN_PRINTER;
    case Page::Scale: return IDC_BTN_SCALE;
    }
    return 0;
}

std::string Describe(Page page, int id)
{
    const char* name = page == Page::Setup ? "setup" : page == Page::Printer ? "printer" : "scale";
    return std::string(name) + " page control " + std::to_string(id);
}

} // namespace

std::optional<Page> PageNamed(const std::wstring& name)
{
    if (name == L"setup")
        return Page::Setup;
    if (name == L"printer")
        return Page::Printer;
    if (name == L"scale")
        return Page::Scale;
    return std::nullopt;
}

bool ProgramDriver::Attach(DWORD processId, unsigned boundMs, std::string& error)
{
    for (unsigned waited = 0;; waited += 100) {
        m_main = FindMainWindow(processId);
        if (m_main)
            break;
        if (waited >= boundMs) {
            error = "no ZantorPosTest main window within " + std::to_string(boundMs) + " ms";
            return false;
        }
        ::Sleep(100);
    }
    m_uiThread = ::GetWindowThreadProcessId(m_main, &m_processId);
    // The pages are made while the window initialises; wait until all three are there.
    for (unsigned waited = 0; !(PageWindow(Page::Setup) && PageWindow(Page::Printer) && PageWindow(Page::Scale));
         waited += 100) {
        if (waited >= boundMs) {
            error = "the main window has not made its three pages";
            return false;
        }
        ::Sleep(100);
    }
    return true;
}

HWND ProgramDriver::PageWindow(Page page) const
{
    const HWND tabArea = ::GetDlgItem(m_main, IDC_TAB_PAGES);
    if (!tabArea)
        return nullptr;
    for (HWND child : ChildrenOf(tabArea)) {
        if (::GetDlgItem(child, MarkOf(page)))
            return child;
    }
    return nullptr;
}

HWND ProgramDriver::Control(Page page, int id) const
{
    const HWND pageWindow = PageWindow(page);
    return pageWindow ? ::GetDlgItem(pageWindow, id) : nullptr;
}

std::optional<Page> ProgramDriver::VisiblePage() const
{
    for (Page page : {Page::Setup, Page::Printer, Page::Scale}) {
        if (::IsWindowVisible(PageWindow(page)))
            return page;
    }
    return std::nullopt;
}

bool ProgramDriver::ShowPage(Page page, std::string& error)
{
    if (VisiblePage() == page)
        return true;
    const HWND button = ::GetDlgItem(m_main, ButtonOf(page));
    if (!button || !SendBounded(button, BM_CLICK, 0, 0)) {
        error = "the page button " + std::to_string(ButtonOf(page)) + " does not answer";
        return false;
    }
    if (VisiblePage() != page) {
        error = "the page button " + std::to_string(ButtonOf(page)) + " did not show its page";
        return false;
    }
    return true;
}

ClickOutcome ProgramDriver::Click(Page page, int id, const ClickOptions& options)
{
    ClickOutcome outcome;
    if (!ShowPage(page, outcome.error))
        return outcome;
    const HWND button = Control(page, id);
    if (!button) {
        outcome.error = Describe(page, id) + " does not exist";
        return outcome;
    }
    if (!::IsWindowVisible(button) || !::IsWindowEnabled(button)) {
        outcome.error = Describe(page, id) + (::IsWindowVisible(button) ? " is disabled" : " is hidden");
        return outcome;
    }
    // The click is a sent message: it returns when the button's handler has returned, however
    // many message boxes the handler shows meanwhile. A thread of its own waits for it, so this
    // one can answer the boxes.
    auto finished = std::make_shared<std::atomic<bool>>(false);
    auto answered = std::make_shared<std::atomic<bool>>(false);
    const unsigned bound = options.boundMs;
    std::thread clicker([button, finished, answered, bound] {
        answered->store(SendBounded(button, BM_CLICK, 0, 0, bound).has_value());
        finished->store(true);
    });
    outcome = Settle([finished] { return finished->load(); }, options);
    if (outcome.boxLeftOpen) {
        clicker.detach(); // its message returns once the box is answered, or at its bound
        return outcome;
    }
    clicker.join();
    if (outcome.done && !answered->load()) {
        outcome.done = false;
        outcome.error = "the program is still busy with the click after " + std::to_string(bound) + " ms";
    }
    return outcome;
}

ClickOutcome ProgramDriver::AnswerOpenBox(const ClickOptions& options)
{
    ClickOutcome outcome;
    const std::optional<ModalWindow> box = FindModalWindow(m_uiThread, m_main);
    if (!box || box->fileDialog) {
        outcome.error = "no message box is open";
        return outcome;
    }
    if (!PressOk(*box) || !WaitGone(box->window, options.boundMs)) {
        outcome.error = "the message box does not close";
        return outcome;
    }
    // The handler that showed the box runs on; the program is done with it when its thread
    // comes back to its message loop and answers a message of ours there.
    const HWND main = m_main;
    const unsigned bound = options.boundMs;
    return Settle([main, bound] { return SendBounded(main, WM_NULL, 0, 0, bound).has_value(); }, options);
}

ClickOutcome ProgramDriver::Settle(const std::function<bool()>& finished, const ClickOptions& options)
{
    ClickOutcome outcome;
    for (unsigned waited = 0;; waited += kPollMs) {
        const bool over = finished();
        if (const std::optional<ModalWindow> modal = FindModalWindow(m_uiThread, m_main)) {
            if (modal->fileDialog) {
                outcome.fileDialogShown = true;
                const bool answered = options.fileToOpen.empty() ? CancelFileDialog(*modal)
                                                                 : OpenInFileDialog(*modal, options.fileToOpen);
                if (!answered || !WaitGone(modal->window, options.boundMs)) {
                    outcome.error = "the file dialog does not take the answer";
                    return outcome;
                }
            } else {
                outcome.boxes.push_back(*modal);
                if (options.leaveFirstBoxOpen) {
                    outcome.boxLeftOpen = true;
                    outcome.done = true;
                    return outcome;
                }
                if (!PressOk(*modal) || !WaitGone(modal->window, options.boundMs)) {
                    outcome.error = "a message box does not close";
                    return outcome;
                }
            }
            continue;
        }
        if (over) {
            outcome.done = true;
            return outcome;
        }
        if (waited >= options.boundMs) {
            outcome.error = "the program is still busy after " + std::to_string(options.boundMs) + " ms";
            return outcome;
        }
        ::Sleep(kPollMs);
    }
}

bool ProgramDriver::Select(Page page, int id, const std::wstring& entry, std::string& error)
{
    if (!ShowPage(page, error))
        return false;
    const HWND combo = Control(page, id);
    if (!combo || !::IsWindowEnabled(combo)) {
        error = Describe(page, id) + (combo ? " is disabled" : " does not exist");
        return false;
    }
    const std::optional<LRESULT> index =
        SendBounded(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
    if (!index || *index == CB_ERR) {
        error = Describe(page, id) + " has no such entry";
        return false;
    }
    if (!SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(*index), 0) ||
        !SendBounded(::GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo))) {
        error = Describe(page, id) + " does not answer";
        return false;
    }
    return true;
}

std::optional<std::wstring> ProgramDriver::Text(Page page, int id) const
{
    const HWND control = Control(page, id);
    if (!control)
        return std::nullopt;
    return ReadWindowText(control);
}

std::optional<bool> ProgramDriver::Checked(Page page, int id) const
{
    const HWND control = Control(page, id);
    if (!control)
        return std::nullopt;
    const std::optional<LRESULT> state = SendBounded(control, BM_GETCHECK, 0, 0);
    if (!state)
        return std::nullopt;
    return *state == BST_CHECKED;
}

bool ProgramDriver::Visible(Page page, int id) const
{
    const HWND control = Control(page, id);
    return control && (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE);
}

bool ProgramDriver::Enabled(Page page, int id) const
{
    const HWND control = Control(page, id);
    return control && ::IsWindowEnabled(control);
}

std::optional<std::wstring> ProgramDriver::WaitForText(
    Page page, int id, const std::function<bool(const std::wstring&)>& accept, unsigned boundMs) const
{
    std::optional<std::wstring> text;
    for (unsigned waited = 0;; waited += 50) {
        text = Text(page, id);
        if ((text && accept(*text)) || waited >= boundMs)
            return text;
        ::Sleep(50);
    }
}

bool ProgramDriver::Close(unsigned boundMs, std::string& error)
{
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, m_processId);
    const HWND close = ::GetDlgItem(m_main, IDC_BTN_CLOSE);
    if (!close || !::PostMessageW(close, BM_CLICK, 0, 0)) {
        error = "the close button does not answer";
        if (process)
            ::CloseHandle(process);
        return false;
    }
    bool ended = false;
    if (process) {
        ended = ::WaitForSingleObject(process, boundMs) == WAIT_OBJECT_0;
        ::CloseHandle(process);
    } else {
        ended = WaitGone(m_main, boundMs);
    }
    if (!ended)
        error = "the program did not end within " + std::to_string(boundMs) + " ms";
    return ended;
}
