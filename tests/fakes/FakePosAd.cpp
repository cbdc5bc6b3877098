#include "FakePosAd.h"

#ifdef FAKE_POSAD_STDCALL
#define POSAD_API __stdcall
#endif
#include "devices/pos_ad_library.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace fake_pos_ad {
namespace {

struct State {
    std::vector<Call> calls;
    std::map<std::string, int> results;
    std::map<std::string, std::deque<int>> queued;
    std::map<std::string, std::function<void()>> hooks;
    std::string version = "FakeAD 1.0";
    std::string record = "3  0.000,  0.000";
};

State& S()
{
    static State state;
    return state;
}

int DefaultResult(const std::string& fn)
{
    static const char* const scaleCalls[] = {"send_zero", "read_standard", "send_tare", "clear_tare"};
    for (const char* name : scaleCalls) {
        if (fn == name)
            return POSAD_OK;
    }
    return 1;
}

int Record(const char* fn, const char* text, std::vector<int> ints)
{
    State& s = S();
    s.calls.push_back(Call {fn, text ? text : "", std::move(ints)});
    if (auto hook = s.hooks.find(fn); hook != s.hooks.end() && hook->second)
        hook->second();
    if (auto queue = s.queued.find(fn); queue != s.queued.end() && !queue->second.empty()) {
        const int value = queue->second.front();
        queue->second.pop_front();
        return value;
    }
    if (auto result = s.results.find(fn); result != s.results.end())
        return result->second;
    return DefaultResult(fn);
}

} // namespace

std::string Call::str() const
{
    std::string out = fn + "(";
    if (!text.empty())
        out += "\"" + text + "\"";
    for (int value : ints)
        out += (out.back() == '(' ? "" : ", ") + std::to_string(value);
    return out + ")";
}

void Reset()
{
    S() = State {};
}

const std::vector<Call>& Calls()
{
    return S().calls;
}

std::vector<Call> CallsOf(const std::string& fn)
{
    std::vector<Call> matching;
    std::copy_if(S().calls.begin(), S().calls.end(), std::back_inserter(matching),
        [&](const Call& call) { return call.fn == fn; });
    return matching;
}

std::vector<std::string> Names()
{
    std::vector<std::string> names;
    for (const Call& call : S().calls)
        names.push_back(call.fn);
    return names;
}

void SetResult(const std::string& fn, int value)
{
    S().results[fn] = value;
}
void QueueResults(const std::string& fn, std::vector<int> values)
{
    for (int value : values)
        S().queued[fn].push_back(value);
}
void OnCall(const std::string& fn, std::function<void()> hook)
{
    S().hooks[fn] = std::move(hook);
}
void SetVersion(const std::string& text)
{
    S().version = text;
}
void SetRecord(const std::string& bytes)
{
    S().record = bytes.substr(0, 18);
}

} // namespace fake_pos_ad

using fake_pos_ad::Record;
using fake_pos_ad::S;

extern "C" {

int POSAD_API GetDllVersion(char* version) noexcept
{
    const int result = Record("GetDllVersion", nullptr, {});
    if (version)
        std::memcpy(version, S().version.c_str(), S().version.size() + 1);
    return result;
}
int POSAD_API BeginPrint(int lines) noexcept
{
    return Record("BeginPrint", nullptr, {lines});
}
int POSAD_API PrintText(const char* text, int mode) noexcept
{
    return Record("PrintText", text, {mode});
}
int POSAD_API PrintBarCode(const char* digits, int width, int height, int textPosition) noexcept
{
    return Record("PrintBarCode", digits, {width, height, textPosition});
}
int POSAD_API PrintQrCode(const char* content, int moduleSize) noexcept
{
    return Record("PrintQrCode", content, {moduleSize});
}
int POSAD_API PrintBitmapFile(const char* path, int mode) noexcept
{
    return Record("PrintBitmapFile", path, {mode});
}
int POSAD_API PrintCommand(const char* bytes, int length) noexcept
{
    return Record(
        "PrintCommand", std::string(bytes ? bytes : "", bytes ? static_cast<size_t>(length) : 0).c_str(), {length});
}
int POSAD_API CutPaper(void) noexcept
{
    return Record("CutPaper", nullptr, {});
}
int POSAD_API OpenCashDrawerEx(void) noexcept
{
    return Record("OpenCashDrawerEx", nullptr, {});
}
int POSAD_API GetCashDrawerStatus(void) noexcept
{
    return Record("GetCashDrawerStatus", nullptr, {});
}
int POSAD_API ClosePrinterEx(void) noexcept
{
    return Record("ClosePrinterEx", nullptr, {});
}
int POSAD_API send_zero(void) noexcept
{
    return Record("send_zero", nullptr, {});
}
int POSAD_API read_standard(char* record) noexcept
{
    const int result = Record("read_standard", nullptr, {});
    if (record)
        std::memcpy(record, S().record.data(), S().record.size());
    return result;
}
int POSAD_API send_tare(char*) noexcept
{
    return Record("send_tare", nullptr, {});
}
int POSAD_API clear_tare(char*) noexcept
{
    return Record("clear_tare", nullptr, {});
}

} // extern "C"

#if defined(__i386__)
// On i686 the program calls through each import's address slot (devices/pos_ad.h); linked in
// place of the import library, the stand-in fills those slots itself.
#define FAKE_POSAD_IMPORT_SLOT(name, parameters, arguments)                                                            \
    extern "C" const void* const fake_posad_slot_##name __asm__("__imp__" #name) = reinterpret_cast<const void*>(&name);
POSAD_FUNCTIONS(FAKE_POSAD_IMPORT_SLOT)
#undef FAKE_POSAD_IMPORT_SLOT

#ifdef FAKE_POSAD_STDCALL
// Built __stdcall the functions' own symbols are decorated (_PrintText@8), while a maker's library
// exports the bare names and the import library's jump stubs carry them. The same stubs here, so
// that code calling the bare name as a C function reaches the stand-in as it would the maker's.
#define FAKE_POSAD_IMPORT_STUB(name, parameters, arguments)                                                            \
    asm(".text\n.globl _" #name "\n_" #name ": jmp *__imp__" #name);
POSAD_FUNCTIONS(FAKE_POSAD_IMPORT_STUB)
#undef FAKE_POSAD_IMPORT_STUB
#endif
#endif
