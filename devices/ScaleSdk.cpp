#include "ScaleSdk.h"

#include <type_traits>

#include "framework/Library.h"

ScaleSdk g_scaleSdk;

namespace {

template <auto Slot> void Store(ScaleSdk& sdk, FARPROC address)
{
    using Fn = std::remove_reference_t<decltype(sdk.*Slot)>;
    sdk.*Slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

struct EntryPoint {
    const char* name;
    void (*store)(ScaleSdk&, FARPROC);
};

// In the order the names are resolved, which is also the order of the record's slots.
const EntryPoint kEntryPoints[] = {
    {"OPO_SetModuleCallBack", Store<&ScaleSdk::OPO_SetModuleCallBack>},
    {"OPO_SetAutoMode", Store<&ScaleSdk::OPO_SetAutoMode>},
    {"OPO_Open", Store<&ScaleSdk::OPO_Open>},
    {"OPO_Close", Store<&ScaleSdk::OPO_Close>},
    {"OPO_GetResult", Store<&ScaleSdk::OPO_GetResult>},
    {"OPO_ReadResultCache", Store<&ScaleSdk::OPO_ReadResultCache>},
    {"OPO_SendFre", Store<&ScaleSdk::OPO_SendFre>},
    {"OPO_Zero", Store<&ScaleSdk::OPO_Zero>},
    {"OPO_Tare", Store<&ScaleSdk::OPO_Tare>},
    {"OPO_PreTare", Store<&ScaleSdk::OPO_PreTare>},
    {"OPO_SetUnit", Store<&ScaleSdk::OPO_SetUnit>},
    {"OPO_PowOnZero", Store<&ScaleSdk::OPO_PowOnZero>},
};

} // namespace

bool loadScaleSdk()
{
    if (g_scaleSdk.module)
        return true;

    // Released again on any missing name; kept for the life of the process once complete.
    CLibrary library;
    if (!library.Load(L"MvScalesSDK.dll"))
        return false;

    // Filled aside first, so the record is never seen half filled.
    ScaleSdk sdk;
    for (const EntryPoint& entry : kEntryPoints) {
        const FARPROC address = library.GetProc<FARPROC>(entry.name);
        if (!address)
            return false;
        entry.store(sdk, address);
    }
    sdk.module = library.Detach();
    g_scaleSdk = sdk;
    return true;
}
