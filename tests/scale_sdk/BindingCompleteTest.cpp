// Beside this program stands a complete SDK (the recording fake). One scenario in one process,
// as loading happens once per process: the page starts in device-library mode and leaves the SDK
// alone; the first SDK request after a mode change loads it and registers the callback; nothing
// loads it again; and its load count is one.
#include "fakes/FakeScaleSdk.h"
#include "scale/ScalePageFixture.h"

namespace {

using Strings = std::vector<std::string>;

class CompleteScaleSdk : public ScalePageTest { };

TEST_F(CompleteScaleSdk, LoadedOnceByTheFirstRequestThenKept)
{
    UseSettings(1);
    OpenMainWindow();
    EXPECT_TRUE(AllScaleSdkSlotsNull());
    EXPECT_EQ(fake_scale_sdk::Loads(), 0);

    UseSettings(0);
    Click(IDC_SCALE_ZERO);
    ASSERT_EQ(fake_scale_sdk::Loads(), 1);
    EXPECT_EQ(fake_scale_sdk::Calls(), (Strings {"OPO_SetModuleCallBack", "OPO_Zero"}));
    EXPECT_EQ(fake_scale_sdk::RegisteredCallback(), &CPageScale::onScaleResult);
    EXPECT_EQ(TakeBoxes(), Strings {"清零成功!"});

    // Each slot holds the entry point of its own name.
    const HMODULE module = g_scaleSdk.module;
    ASSERT_EQ(module, fake_scale_sdk::Module());
    auto address = [module](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(module, name)); };
    const std::pair<const char*, void*> slots[] = {
        {"OPO_SetModuleCallBack", reinterpret_cast<void*>(g_scaleSdk.OPO_SetModuleCallBack)},
        {"OPO_SetAutoMode", reinterpret_cast<void*>(g_scaleSdk.OPO_SetAutoMode)},
        {"OPO_Open", reinterpret_cast<void*>(g_scaleSdk.OPO_Open)},
        {"OPO_Close", reinterpret_cast<void*>(g_scaleSdk.OPO_Close)},
        {"OPO_GetResult", reinterpret_cast<void*>(g_scaleSdk.OPO_GetResult)},
        {"OPO_ReadResultCache", reinterpret_cast<void*>(g_scaleSdk.OPO_ReadResultCache)},
        {"OPO_SendFre", reinterpret_cast<void*>(g_scaleSdk.OPO_SendFre)},
        {"OPO_Zero", reinterpret_cast<void*>(g_scaleSdk.OPO_Zero)},
        {"OPO_Tare", reinterpret_cast<void*>(g_scaleSdk.OPO_Tare)},
        {"OPO_PreTare", reinterpret_cast<void*>(g_scaleSdk.OPO_PreTare)},
        {"OPO_SetUnit", reinterpret_cast<void*>(g_scaleSdk.OPO_SetUnit)},
        {"OPO_PowOnZero", reinterpret_cast<void*>(g_scaleSdk.OPO_PowOnZero)},
    };
    for (const auto& [name, slot] : slots) {
        EXPECT_NE(slot, nullptr) << name;
        EXPECT_EQ(slot, address(name)) << name;
    }

    // Open and tare find their slots set: no second load, no second registration.
    fake_scale_sdk::Reset();
    Click(IDC_SCALE_OPEN);
    Click(IDC_SCALE_TARE);
    EXPECT_EQ(fake_scale_sdk::Calls(), (Strings {"OPO_Open(COM4:115200)", "OPO_Tare"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(loadScaleSdk());
    EXPECT_EQ(fake_scale_sdk::Loads(), 1);
    EXPECT_EQ(g_scaleSdk.module, module);

    // One release unloads it: every load after the first only reused it.
    dlg.reset();
    ::FreeLibrary(module);
    EXPECT_EQ(::GetModuleHandleA("MvScalesSDK.dll"), nullptr);
    g_scaleSdk = ScaleSdk {};
}

} // namespace
