// Hands readings from the scale SDK's thread to the scale page's window. The SDK may call on any
// thread while the user-interface thread is itself inside an SDK call, so the sender never
// waits: it folds the reading into the one pending and posts at most one notification, which
// the page answers on its own thread with Take. Should that notification be lost, the target's
// thread notifies again within 100 ms while a reading waits, so readings are delayed, never
// stopped. The mailbox lives until the process ends, so a late reading finds it intact; without
// a window it drops readings, so nothing piles up.
#pragma once

#include "ScaleReading.h"

#include <windows.h>

#include <optional>

namespace reading_mailbox {

// The message the target window receives when a reading waits for it.
UINT NotifyMessage();

// The window that shows readings from now on; anything pending for an earlier one is dropped.
// Called on the window's own thread, which runs the window's renotification timer.
void SetTarget(HWND window);
// Called as window goes; does nothing if another window has become the target meanwhile.
void ClearTarget(HWND window);

// Any thread, never blocks on the target's thread.
void Deliver(const ScaleReading& reading);
// The target's thread: the pending reading, if any.
std::optional<ScaleReading> Take();

} // namespace reading_mailbox
