// The real main window with its scale page, driven by messages as a user would drive it; the
// settings file lives in a fresh folder of the test's own, the device library is the recording
// fake, and message boxes are recorded.
#pragma once

#include "app/ZantorPosTestApp.h"
#include "app/ZantorPosTestDlg.h"
#include "devices/ScaleSdk.h"
#include "fakes/FakePosAd.h"
#include "fakes/FakeScaleSdk.h"
#include "settings/Settings.h"
#include "support/SeamRecorder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class ScalePageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_pos_ad::Reset();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        g_settings.iniPath = FreshTestFolder(std::string(info->test_suite_name()) + "." + info->name()) + "scales.ini";
    }

    void TearDown() override { dlg.reset(); }

    // Machine model 0 drives the scale through the SDK, any other through the device library.
    void UseSettings(int machineModel, const std::string& scalePort = "COM4")
    {
        WriteWholeFile(g_settings.iniPath,
            "[POS]\r\nTYPE=" + std::to_string(machineModel) + "\r\n[SCALE]\r\nPORT=" + scalePort + "\r\nRATE=9600\r\n");
    }

    void OpenMainWindow()
    {
        dlg = std::make_unique<CZantorPosTestDlg>();
        ASSERT_TRUE(dlg->Create(nullptr));
    }

    CPageScale& Page() { return dlg->m_pageScale; }
    void Click(int id) { Page().SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Tick() { Page().SendMessage(WM_TIMER, CPageScale::kPollTimer, 0); }
    std::string Text(int id) { return Page().GetDlgItemText(id); }

    // Status, net, field 1009, field 1010: the four fields in the order the page empties them.
    std::vector<std::string> Fields()
    {
        return {Text(IDC_SCALE_STATUS), Text(IDC_SCALE_NET), Text(IDC_SCALE_FIELD_2), Text(IDC_SCALE_FIELD_3)};
    }

    // A result text as the SDK delivers it, then the page's turn to show it.
    void Deliver(const char* text)
    {
        CPageScale::onScaleResult(text, 0);
        PumpMessages();
    }

    std::vector<std::string> TakeBoxes()
    {
        std::vector<std::string> texts = seams.Texts();
        seams.boxes.clear();
        return texts;
    }

    SeamRecorder seams;
    std::unique_ptr<CZantorPosTestDlg> dlg;
};

inline bool AllScaleSdkSlotsNull()
{
    const ScaleSdk& s = g_scaleSdk;
    return !s.module && !s.OPO_SetModuleCallBack && !s.OPO_SetAutoMode && !s.OPO_Open && !s.OPO_Close &&
        !s.OPO_GetResult && !s.OPO_ReadResultCache && !s.OPO_SendFre && !s.OPO_Zero && !s.OPO_Tare && !s.OPO_PreTare &&
        !s.OPO_SetUnit && !s.OPO_PowOnZero;
}

// Puts the process back as it was before any page loaded the SDK, so a test need not depend on
// what ran before it. The program itself keeps the SDK loaded once it has it.
inline void ForgetScaleSdk()
{
    if (!g_scaleSdk.module)
        return;
    fake_scale_sdk::Reset(); // no firing thread may run on in the library
    ::FreeLibrary(g_scaleSdk.module);
    g_scaleSdk = ScaleSdk {};
}
