#include "ReadingMailbox.h"

#include <atomic>
#include <mutex>

namespace reading_mailbox {
namespace {

struct Mailbox {
    std::atomic<HWND> target{nullptr};
    std::mutex mutex;  // held only to swap the fields below, never across a call out
    std::optional<ScaleReading> pending;
    bool notified = false;  // a notification is on its way and Take has not run since
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
