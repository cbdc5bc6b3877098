// The scale page in both modes against the virtual terminal's scale: the readings and status
// texts follow the load the test puts on the platter, and zero and tare reach the scale.
#include "EndToEnd.h"

namespace {

const wchar_t kOpened[] = L"打开端口成功";
const wchar_t kClosed[] = L"关闭端口成功";
const wchar_t kZeroed[] = L"清零成功!";
const wchar_t kTared[] = L"去皮/清皮成功!";
const wchar_t kStable[] = L"稳定";
const wchar_t kOverloadMark[] = L"┗━┛";
const wchar_t kNegativeMark[] = L"┏━┓";

class ScaleSdkMode : public EndToEnd {
protected:
    // Net, tare and gross as the page shows them, once they read so.
    void ExpectWeights(const std::wstring& net, const std::wstring& tare, const std::wstring& gross)
    {
        EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_NET, net), net);
        EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_2, tare), tare);
        EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_3, gross), gross);
    }
};

TEST_F(ScaleSdkMode, ReadingsAndStatusFollowTheScaleAndZeroAndTareReachIt)
{
    ASSERT_NO_FATAL_FAILURE(Start()); // RX720: the SDK scale on COM4
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_OPEN), L"打开端口");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_OPEN), std::vector<std::wstring> {kOpened});

    ASSERT_TRUE(terminal.Do("weight 1.25"));
    ExpectWeights(L"1.250", L"0.000", L"1.250");
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, kStable), kStable);
    ASSERT_TRUE(terminal.Do("stable off"));
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, L"不稳定"), L"不稳定");
    ASSERT_TRUE(terminal.Do("stable on"));

    // Zero on a little drift, then a tare on the load put on top; the same button clears it.
    ASSERT_TRUE(terminal.Do("weight 0.2"));
    ExpectWeights(L"0.200", L"0.000", L"0.200");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_ZERO), std::vector<std::wstring> {kZeroed});
    ExpectWeights(L"0.000", L"0.000", L"0.000");
    ASSERT_TRUE(terminal.Do("weight 0.7"));
    ExpectWeights(L"0.500", L"0.000", L"0.500");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_TARE), std::vector<std::wstring> {kTared});
    ExpectWeights(L"0.000", L"0.500", L"0.500");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_TARE), std::vector<std::wstring> {kTared});
    ExpectWeights(L"0.500", L"0.000", L"0.500");

    // Beyond the 15 kg range and below zero the page shows its marks.
    ASSERT_TRUE(terminal.Do("weight 16.2"));
    ExpectWeights(kOverloadMark, kOverloadMark, kOverloadMark);
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, L"重量溢出或没有开机归零"), L"重量溢出或没有开机归零");
    ASSERT_TRUE(terminal.Do("weight 0.1"));
    ExpectWeights(kNegativeMark, kNegativeMark, kNegativeMark);
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, kStable), kStable);

    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_CLOSE), std::vector<std::wstring> {kClosed});
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_NET), L"");
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_STATUS), L"");
}

class ScaleDeviceMode : public EndToEnd {
protected:
    // The RX520 as its preset saves it: the scale board on COM3.
    void StartRx520() { Start({{"POS", "TYPE", "1"}, {"SCALE", "PORT", "COM3"}, {"PRINTER", "PORT", "LPT1"}}); }
};

TEST_F(ScaleDeviceMode, OnceASecondReadsFollowTheBoardAndZeroAndTareReachIt)
{
    ASSERT_NO_FATAL_FAILURE(StartRx520());
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_OPEN), L"开始取重");
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_LABEL_3), L"皮重:");
    ASSERT_TRUE(terminal.Do("weight 1.25"));
    EXPECT_TRUE(Press(Page::Scale, IDC_SCALE_OPEN).empty());

    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_NET, L"  1.250"), L"  1.250");
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_3, L"  0.000"), L"  0.000");
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, L"稳定 非零位"), L"稳定 非零位");
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_FIELD_2), L"01,  1.250,  0.000");
    ASSERT_TRUE(terminal.Do("stable off"));
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, L"不稳定 非零位"), L"不稳定 非零位");
    ASSERT_TRUE(terminal.Do("stable on"));
    ASSERT_TRUE(terminal.Do("weight 0"));
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_STATUS, L"稳定 零位"), L"稳定 零位");

    ASSERT_TRUE(terminal.Do("weight 0.3"));
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_NET, L"  0.300"), L"  0.300");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_ZERO), std::vector<std::wstring> {kZeroed});
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_NET, L"  0.000"), L"  0.000");
    ASSERT_TRUE(terminal.Do("weight 0.8"));
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_NET, L"  0.500"), L"  0.500");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_TARE), std::vector<std::wstring> {kTared});
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_3, L"  0.500"), L"  0.500");
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_2, L"05,  0.000,  0.500"), L"05,  0.000,  0.500");
    // With the tare set, the button clears it.
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_TARE), std::vector<std::wstring> {kTared});
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_3, L"  0.000"), L"  0.000");

    // Stopping leaves the last reading on the page.
    EXPECT_TRUE(Press(Page::Scale, IDC_SCALE_CLOSE).empty());
    ASSERT_TRUE(terminal.Do("weight 3"));
    ::Sleep(2500);
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_NET), L"  0.500");
}

TEST_F(ScaleDeviceMode, AModelSavedOnTheSetupPageSwitchesTheScaleButtonsToTheBoard)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_OPEN), std::vector<std::wstring> {kOpened});
    ASSERT_TRUE(terminal.Do("weight 1"));
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_NET, L"1.000"), L"1.000");
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_CLOSE), std::vector<std::wstring> {kClosed});

    std::string error;
    ASSERT_TRUE(Drive().Select(Page::Setup, IDC_SETUP_MODEL, L"RX520", error)) << error;
    ASSERT_EQ(Press(Page::Setup, IDC_SETUP_SAVE), std::vector<std::wstring> {L"保存配置信息成功!"});

    // The captions stay as the page started; the buttons now weigh on the board.
    EXPECT_EQ(Text(Page::Scale, IDC_SCALE_OPEN), L"打开端口");
    EXPECT_TRUE(Press(Page::Scale, IDC_SCALE_OPEN).empty());
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_2, L"01,  1.000,  0.000"), L"01,  1.000,  0.000");
    ASSERT_TRUE(terminal.Do("weight 0.4"));
    EXPECT_EQ(Press(Page::Scale, IDC_SCALE_TARE), std::vector<std::wstring> {kTared});
    EXPECT_EQ(WaitForText(Page::Scale, IDC_SCALE_FIELD_3, L"  0.400"), L"  0.400");
    EXPECT_TRUE(Press(Page::Scale, IDC_SCALE_CLOSE).empty());
}

} // namespace
