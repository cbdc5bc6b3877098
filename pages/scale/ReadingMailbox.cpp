#include "ReadingMailbox.h"

#include <atomic>
#include <mutex>

namespace reading_mailbox {
namespace {

struct Mailbox {
    std::atomic<HWND> target {nullptr};
    std::mutex mutex; // held only to swap the fields below, never across a call out
    std::optional<ScaleReading> pending;
    bool notified = false; // a notification is on its way and Take has not run since
};

// Never destroyed: the SDK may deliver while the process runs its exit code.
Mailbox& Box()
{
    static Mailbox* box = new Mailbox;
    return *box;
}

void Forget(Mailbox& box)
{
    std::lock_guard<std::mutex> lock(box.mutex);
    box.pending.reset();
    box.notified = false;
}

// A posted notification can be lost: a modal loop may take it off the queue without dispatching
// it, a full queue refuses it. Then notified stays set and Deliver never posts again, so the
// target's own thread notifies once more each period while a reading waits. Timer messages are
// made afresh each period, so a lost one costs one period, and duplicates find nothing to Take.
const UINT_PTR kRenotifyTimer = 0x5A50; // apart from the ids a page gives its own timers
const UINT kRenotifyPeriodMs = 100;

void CALLBACK Renotify(HWND window, UINT, UINT_PTR id, DWORD)
{
    // Nothing may unwind into the window manager.
    try {
        Mailbox& box = Box();
        if (box.target.load() != window) {
            ::KillTimer(window, id);
            return;
        }
        bool waiting = false;
        {
            std::lock_guard<std::mutex> lock(box.mutex);
            waiting = box.pending.has_value();
        }
        if (waiting)
            ::PostMessageW(window, NotifyMessage(), 0, 0);
    } catch (...) {
    }
}

} // namespace

UINT NotifyMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"ZantorPosTest.ScaleReading");
    return message;
}

void SetTarget(HWND window)
{
    Mailbox& box = Box();
    Forget(box);
    box.target.store(window);
    if (window)
        ::SetTimer(window, kRenotifyTimer, kRenotifyPeriodMs, &Renotify);
}

void ClearTarget(HWND window)
{
    Mailbox& box = Box();
    HWND expected = window;
    if (box.target.compare_exchange_strong(expected, nullptr))
        Forget(box);
}

void Deliver(const ScaleReading& reading)
{
    Mailbox& box = Box();
    const HWND target = box.target.load();
    if (!target)
        return;
    bool notify = false;
    {
        std::lock_guard<std::mutex> lock(box.mutex);
        if (box.pending)
            FoldReading(*box.pending, reading);
        else
            box.pending = reading;
        notify = !box.notified;
        box.notified = true;
    }
    // A window destroyed meanwhile refuses the message; the reading had no one to go to.
    if (notify && !::PostMessageW(target, NotifyMessage(), 0, 0))
        Forget(box);
}

std::optional<ScaleReading> Take()
{
    Mailbox& box = Box();
    std::lock_guard<std::mutex> lock(box.mutex);
    std::optional<ScaleReading> reading = std::move(box.pending);
    box.pending.reset();
    box.notified = false;
    return reading;
}

} // namespace reading_mailbox
