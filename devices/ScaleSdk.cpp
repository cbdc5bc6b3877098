#include "ScaleSdk.h"

#include <iterator>

ScaleSdk g_scaleSdk;

namespace {

const char* const kEntryPoints[] = {
    "OPO_SetModuleCallBack", "OPO_SetAutoMode", "OPO_Open",  "OPO_Close", "OPO_GetResult", "OPO_ReadResultCache",
    "OPO_SendFre",           "OPO_Zero",        "OPO_Tare",  "OPO_PreTare", "OPO_SetUnit", "OPO_PowOnZero",
};
constexpr size_t kEntryPointCount = std::size(kEntryPoints);

template <typename Fn>
Fn As(FARPROC address)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

} // namespace

bool loadScaleSdk()
{
    if (g_scaleSdk.module)
        return true;

    const HMODULE module = ::LoadLibraryA("MvScalesSDK.dll");
    if (!module)
        return false;

    // Resolved into a side table first, so the record is never seen half filled.
    FARPROC found[kEntryPointCount] = {};
    for (size_t i = 0; i < kEntryPointCount; ++i) {
        found[i] = ::GetProcAddress(module, kEntryPoints[i]);
        if (!found[i]) {
            ::FreeLibrary(module);
            g_scaleSdk = ScaleSdk{};
            return false;
        }
    }

    ScaleSdk sdk;
    sdk.module = module;
    sdk.OPO_SetModuleCallBack = As<OpoSetModuleCallBackFn>(found[0]);
    sdk.OPO_SetAutoMode = found[1];
    sdk.OPO_Open = As<OpoOpenFn>(found[2]);
    sdk.OPO_Close = As<OpoCommandFn>(found[3]);
    sdk.OPO_GetResult = found[4];
    sdk.OPO_ReadResultCache = found[5];
    sdk.OPO_SendFre = found[6];
    sdk.OPO_Zero = As<OpoCommandFn>(found[7]);
    sdk.OPO_Tare = As<OpoCommandFn>(found[8]);
    sdk.OPO_PreTare = found[9];
    sdk.OPO_SetUnit = found[10];
    sdk.OPO_PowOnZero = found[11];
    g_scaleSdk = sdk;
    return true;
}
