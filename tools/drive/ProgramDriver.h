// Drives a running ZantorPosTest from outside its process, as a user at the screen would: finds
// the main window, shows pages, presses buttons, chooses list entries and reads what the pages
// show, and answers the message boxes and the file dialog that a button brings up.
#pragma once

#include "ModalWindows.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class Page { Setup, Printer, Scale };

std::optional<Page> PageNamed(const std::wstring& name);

struct ClickOptions {
    unsigned boundMs = 30000; // the handler must be done within this
    std::wstring fileToOpen; // the answer to a file dialog; empty: cancel it
    bool leaveFirstBoxOpen = false; // stop at the first message box, for a screenshot
};

struct ClickOutcome {
    bool done = false; // the handler ran to its end (or the box was left open)
    bool boxLeftOpen = false;
    std::vector<ModalWindow> boxes; // message boxes in the order they came, all answered with OK
    bool fileDialogShown = false;
    std::string error;
};

class ProgramDriver {
public:
    // Waits for the program's main window; processId 0 takes the first ZantorPosTest window found.
    bool Attach(DWORD processId, unsigned boundMs, std::string& error);

    HWND MainWindow() const { return m_main; }
    DWORD ProcessId() const { return m_processId; }
    HWND PageWindow(Page page) const;
    HWND Control(Page page, int id) const;
    std::optional<Page> VisiblePage() const;

    // Presses the main window's page button (as the user does before touching a page).
    bool ShowPage(Page page, std::string& error);
    // Presses a button of a page, showing the page first. Refuses a hidden or disabled button.
    ClickOutcome Click(Page page, int id, const ClickOptions& options = {});
    // Presses OK on the message box left open, then waits for the handler as Click does.
    ClickOutcome AnswerOpenBox(const ClickOptions& options = {});
    // Chooses a list entry in a combo box; the page hears the change as from the user's hand.
    bool Select(Page page, int id, const std::wstring& entry, std::string& error);

    std::optional<std::wstring> Text(Page page, int id) const;
    std::optional<bool> Checked(Page page, int id) const;
    bool Visible(Page page, int id) const;
    bool Enabled(Page page, int id) const;
    // Polls the control's text until accept says yes, at most boundMs; returns the last text read.
    std::optional<std::wstring> WaitForText(
        Page page, int id, const std::function<bool(const std::wstring&)>& accept, unsigned boundMs) const;

    // Presses the close button and waits for the process to end.
    bool Close(unsigned boundMs, std::string& error);

private:
    // Answers modal windows until the handler is over: `finished` tells when a click's sent
    // message has returned; without one, the program's idle message loop tells.
    ClickOutcome Settle(const std::function<bool()>& finished, const ClickOptions& options);

    HWND m_main = nullptr;
    DWORD m_uiThread = 0;
    DWORD m_processId = 0;
};
