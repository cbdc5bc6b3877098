#include "ScaleSdk.h"

#include <type_traits>

#include "framework/Library.h"

ScaleSdk g_scaleSdk;

namespace {

template <auto Slot> bool Resolve(const CLibrary& library, const char* name, ScaleSdk& sdk)
{
    sdk.*Slot = library.GetProc<std::remove_reference_t<decltype(sdk.*Slot)>>(name);
    return sdk.*Slot != nullptr;
}

struct EntryPoint {
    const char* name;
    bool (*resolve)(const CLibrary&, const char*, ScaleSdk&);
};

// In the order the names are resolved, which is also the order of the record's slots.
const EntryPoint kEntryPoints[] = {
    {"OPO_SetModuleCallBack", Resolve<&ScaleSdk::OPO_SetModuleCallBack>},
    {"OPO_SetAutoMode", Resolve<&ScaleSdk::OPO_SetAutoMode>},
    {"OPO_Open", Resolve<&ScaleSdk::OPO_Open>},
    {"OPO_Close", Resolve<&ScaleSdk::OPO_Close>},
    {"OPO_GetResult", Resolve<&ScaleSdk::OPO_GetResult>},
    {"OPO_ReadResultCache", Resolve<&ScaleSdk::OPO_ReadResultCache>},
    {"OPO_SendFre", Resolve<&ScaleSdk::OPO_SendFre>},
    {"OPO_Zero", Resolve<&ScaleSdk::OPO_Zero>},
    {"OPO_Tare", Resolve<&ScaleSdk::OPO_Tare>},
    {"OPO_PreTare", Resolve<&ScaleSdk::OPO_PreTare>},
    {"OPO_SetUnit", Resolve<&ScaleSdk::OPO_SetUnit>},
    {"OPO_PowOnZero", Resolve<&ScaleSdk::OPO_PowOnZero>},
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
        if (!entry.resolve(library, entry.name, sdk))
            return false;
    }
    sdk.module = library.Detach();
    g_scaleSdk = sdk;
    return true;
}
