#include "PageScale.h"

#include "DeviceRecord.h"
#include "ReadingMailbox.h"
#include "ScaleReading.h"
#include "app/ZantorPosTestApp.h"
#include "devices/ScaleSdk.h"
#include "devices/pos_ad.h"
#include "framework/Seams.h"
#include "settings/Settings.h"

namespace {

const int kSdkSuccess = 1;

bool IsSdkMode()
{
    return g_settings.IsModel(MachineModel::RX720);
}

bool LoadSdkAndRegister()
{
    if (!loadScaleSdk())
        return false;
    g_scaleSdk.OPO_SetModuleCallBack(&CPageScale::onScaleResult);
    return true;
}

// True when the entry point is there to call, loading the SDK first if its slot is empty.
bool HaveSdkEntry(bool slotSet)
{
    if (slotSet || LoadSdkAndRegister())
        return true;
    AfxMessageBox("加载MvScalesSDK.dll失败!");
    return false;
}

} // namespace

void __stdcall CPageScale::onScaleResult(const char* text, int /*unused*/)
{
    // Nothing may unwind into the SDK.
    try {
        if (!theApp.m_pPageScale.load())
            return;
        if (const std::optional<ScaleReading> reading = ParseScaleResult(text))
            reading_mailbox::Deliver(*reading);
    } catch (...) {
    }
}

BOOL CPageScale::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    reading_mailbox::SetTarget(m_hWnd);
    loadSettings(g_settings);

    if (IsSdkMode()) {
        if (!LoadSdkAndRegister())
            AfxMessageBox("加载MvScalesSDK.dll失败!");
        SetDlgItemText(IDC_SCALE_OPEN, "打开端口");
        SetDlgItemText(IDC_SCALE_CLOSE, "关闭端口");
        SetDlgItemText(IDC_SCALE_LABEL_3, "毛重:");
        SetDlgItemText(IDC_SCALE_LABEL_2, "皮重:");
    } else {
        SetDlgItemText(IDC_SCALE_OPEN, "开始取重");
        SetDlgItemText(IDC_SCALE_CLOSE, "结束取重");
        SetDlgItemText(IDC_SCALE_LABEL_2, "");
        SetDlgItemText(IDC_SCALE_LABEL_3, "皮重:");
    }
    EmptyFields();
    return TRUE;
}

// The message map, one line a control, as laid out by hand.
// clang-format off
bool CPageScale::OnCommand(int id, int notifyCode)
{
    if (notifyCode == BN_CLICKED) {
        switch (id) {
        case IDC_SCALE_OPEN:  OnOpen(); return true;
        case IDC_SCALE_CLOSE: OnClose(); return true;
        case IDC_SCALE_ZERO:  OnZero(); return true;
        case IDC_SCALE_TARE:  OnTare(); return true;
        default: break;
        }
    }
    return CDialogEx::OnCommand(id, notifyCode);
}
// clang-format on

INT_PTR CPageScale::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == reading_mailbox::NotifyMessage()) {
        if (const std::optional<ScaleReading> reading = reading_mailbox::Take())
            ShowReading(*reading);
        return TRUE;
    }
    return CDialogEx::WindowProc(message, wParam, lParam);
}

void CPageScale::OnDestroy()
{
    reading_mailbox::ClearTarget(m_hWnd);
}

void CPageScale::OnOpen()
{
    loadSettings(g_settings);
    if (!IsSdkMode()) {
        SetTimer(kPollTimer, kPollPeriodMs); // the same id again restarts the one timer
        return;
    }
    const std::string portAndBaud = g_settings.scalePort + ":115200";
    if (!HaveSdkEntry(g_scaleSdk.OPO_Open != nullptr))
        return;
    AfxMessageBox(g_scaleSdk.OPO_Open(portAndBaud.c_str()) == kSdkSuccess ? "打开端口成功" : "打开端口失败!");
}

void CPageScale::OnClose()
{
    // Whatever the mode is now: the SDK may have been loaded under the other one.
    if (g_scaleSdk.OPO_Close && g_scaleSdk.OPO_Close() == kSdkSuccess) {
        reading_mailbox::Take(); // a reading from before the close must not refill the fields
        EmptyFields();
        AfxMessageBox("关闭端口成功");
    }
    KillTimer(kPollTimer);
}

void CPageScale::OnZero()
{
    loadSettings(g_settings);
    bool ok = false;
    if (!IsSdkMode()) {
        ok = send_zero() == POSAD_OK;
    } else {
        if (!HaveSdkEntry(g_scaleSdk.OPO_Zero != nullptr))
            return;
        ok = g_scaleSdk.OPO_Zero() == kSdkSuccess;
    }
    AfxMessageBox(ok ? "清零成功!" : "清零失败!");
}

void CPageScale::OnTare()
{
    loadSettings(g_settings);
    bool ok = false;
    if (!IsSdkMode()) {
        char record[18] = {};
        if (read_standard(record) == POSAD_OK) {
            char scratch[32] = {};
            const bool tarePresent = (StatusBits(record) & 4) != 0;
            ok = (tarePresent ? clear_tare(scratch) : send_tare(scratch)) == POSAD_OK;
        }
    } else {
        if (!HaveSdkEntry(g_scaleSdk.OPO_Tare != nullptr))
            return;
        ok = g_scaleSdk.OPO_Tare() == kSdkSuccess;
    }
    AfxMessageBox(ok ? "去皮/清皮成功!" : "去皮/清皮失败!");
}

void CPageScale::OnTimer(UINT_PTR id)
{
    if (id == kPollTimer)
        pollDeviceScale();
    CDialogEx::OnTimer(id);
}

void CPageScale::pollDeviceScale()
{
    char record[32] = {};
    if (read_standard(record) != POSAD_OK)
        return;
    SetDlgItemText(IDC_SCALE_STATUS, DeviceStatusText(StatusBits(record)));
    SetDlgItemText(IDC_SCALE_FIELD_2, DiagnosticLine(record, sizeof record));
    SetDlgItemText(IDC_SCALE_NET, RecordText(record, 1, 7));
    SetDlgItemText(IDC_SCALE_FIELD_3, RecordText(record, 9, 7));
}

void CPageScale::ShowReading(const ScaleReading& reading) const
{
    if (!reading.status.empty())
        SetDlgItemText(IDC_SCALE_STATUS, reading.status);
    SetDlgItemText(IDC_SCALE_NET, reading.net);
    SetDlgItemText(IDC_SCALE_FIELD_2, reading.tare);
    SetDlgItemText(IDC_SCALE_FIELD_3, reading.gross);
}

void CPageScale::EmptyFields() const
{
    SetDlgItemText(IDC_SCALE_STATUS, "");
    SetDlgItemText(IDC_SCALE_NET, "");
    SetDlgItemText(IDC_SCALE_FIELD_2, "");
    SetDlgItemText(IDC_SCALE_FIELD_3, "");
}
