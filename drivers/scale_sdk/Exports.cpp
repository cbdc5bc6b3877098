// The twelve calls. Calls are taken one at a time; the reader thread and the cached reading are
// the session's.
#include "MvScalesSDK.h"

#include "PortSettings.h"
#include "Session.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

namespace {

struct SdkState {
    std::atomic<OPO_ResultCallback> callback {nullptr};
    std::mutex call; // one call at a time, so commands never interleave on the line
    mutable std::mutex sessionGuard;
    std::shared_ptr<Session> session;

    std::shared_ptr<Session> Current() const
    {
        std::lock_guard<std::mutex> lock(sessionGuard);
        return session;
    }
    void Replace(std::shared_ptr<Session> next)
    {
        std::lock_guard<std::mutex> lock(sessionGuard);
        session = std::move(next);
    }
};

// Never destroyed: a reader thread may still deliver a reading while the host process runs its
// exit code, and it must find the callback and the locks intact.
SdkState& State()
{
    static SdkState* state = new SdkState;
    return *state;
}

const int kDone = 1;
const int kFailed = 0;

int Result(bool ok)
{
    return ok ? kDone : kFailed;
}

// Every call's body runs in here: whatever it throws (out of memory, a lock the system refuses)
// ends as a failed call, never in the host.
template <typename Fn> int Guarded(const Fn& fn) noexcept
{
    try {
        return fn();
    } catch (...) {
        return kFailed;
    }
}

int CloseLocked(SdkState& state)
{
    std::shared_ptr<Session> session = state.Current();
    if (!session)
        return kFailed;
    state.Replace(nullptr);
    return Result(session->Stop());
}

// Commands and the reading request: refused at once from inside the callback and while closed.
template <typename Fn> int WithSession(const Fn& fn) noexcept
{
    return Guarded([&] {
        SdkState& state = State();
        if (const std::shared_ptr<Session> current = state.Current(); current && current->OnReaderThread())
            return kFailed;
        std::lock_guard<std::mutex> lock(state.call);
        const std::shared_ptr<Session> session = state.Current();
        return session ? Result(fn(*session)) : kFailed;
    });
}

int Command(char letter, const char* argument = "") noexcept
{
    return WithSession([&](Session& session) { return session.Command(letter, argument); });
}

int NumberCommand(char letter, int number) noexcept
{
    return WithSession([&](Session& session) { return session.Command(letter, std::to_string(number)); });
}

int CopyOut(const std::string& text, char* buffer, int size)
{
    if (!buffer || size <= 0 || text.size() >= static_cast<size_t>(size))
        return kFailed;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return kDone;
}

} // namespace

extern "C" {

OPO_API int __stdcall OPO_SetModuleCallBack(OPO_ResultCallback callback) noexcept
{
    return Guarded([&] {
        State().callback.store(callback);
        return kDone;
    });
}

OPO_API int __stdcall OPO_SetAutoMode(int on) noexcept
{
    return Command('M', on ? "1" : "0");
}

OPO_API int __stdcall OPO_Open(const char* portAndBaud) noexcept
{
    return Guarded([&] {
        const std::optional<PortSettings> port = ParsePortSettings(portAndBaud);
        if (!port)
            return kFailed;
        SdkState& state = State();
        std::lock_guard<std::mutex> lock(state.call);
        CloseLocked(state);
        std::shared_ptr<Session> session = Session::Start(*port, &state.callback);
        if (!session)
            return kFailed;
        state.Replace(std::move(session));
        return kDone;
    });
}

OPO_API int __stdcall OPO_Close(void) noexcept
{
    return Guarded([] {
        SdkState& state = State();
        std::lock_guard<std::mutex> lock(state.call);
        return CloseLocked(state);
    });
}

OPO_API int __stdcall OPO_GetResult(char* text, int size) noexcept
{
    if (!text || size <= 0)
        return kFailed;
    return WithSession([&](Session& session) {
        std::string reading;
        return session.RequestReading(reading) && CopyOut(reading, text, size) == kDone;
    });
}

OPO_API int __stdcall OPO_ReadResultCache(char* text, int size) noexcept
{
    return Guarded([&] {
        const std::shared_ptr<Session> session = State().Current();
        std::string reading;
        if (!session || !session->LastReading(reading))
            return kFailed;
        return CopyOut(reading, text, size);
    });
}

OPO_API int __stdcall OPO_SendFre(int perSecond) noexcept
{
    if (perSecond < 1 || perSecond > 100)
        return kFailed;
    return NumberCommand('F', perSecond);
}

OPO_API int __stdcall OPO_Zero(void) noexcept
{
    return Command('Z');
}

OPO_API int __stdcall OPO_Tare(void) noexcept
{
    return Command('T');
}

OPO_API int __stdcall OPO_PreTare(int grams) noexcept
{
    if (grams < 0 || grams > 99999)
        return kFailed;
    return NumberCommand('P', grams);
}

OPO_API int __stdcall OPO_SetUnit(int unit) noexcept
{
    static const char* const kUnits[] = {"kg", "g", "lb"};
    if (unit < 0 || unit > 2)
        return kFailed;
    return Command('U', kUnits[unit]);
}

OPO_API int __stdcall OPO_PowOnZero(int on) noexcept
{
    return Command('O', on ? "1" : "0");
}

} // extern "C"
