#include "PagePrinter.h"

#include "PrinterTexts.h"
#include "ReceiptCommands.h"
#include "devices/pos_ad.h"
#include "framework/Seams.h"
#include "framework/TextCodec.h"
#include "settings/Settings.h"

namespace {

const char kHintCaption[] = "提示";
const char kBitmapFilter[] = "BMP图片(*.bmp)|*.bmp||";

bool IsExistingRegularFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void CPagePrinter::DoDataExchange()
{
    DDX_Control(IDC_PRN_RECEIPT_EDIT, m_editReceipt);
}

BOOL CPagePrinter::OnInitDialog()
{
    CDialogEx::OnInitDialog();

    m_editReceipt.SetWindowText(kSampleReceipt);
    SetDlgItemText(IDC_PRN_TEXT_EDIT, kDefaultPrintText);
    SetDlgItemText(IDC_PRN_BARCODE_EDIT, kDefaultBarcode);
    SetDlgItemText(IDC_PRN_QR_EDIT, kDefaultQrText);

    FillPrinterList();

    m_fontReceipt.CreateFont(28, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, FF_SWISS, "宋体");
    m_editReceipt.SetFont(m_fontReceipt, true);

    RefreshDrawerStatusControls();
    return TRUE;
}

// The message map, one line a control, as laid out by hand.
// clang-format off
bool CPagePrinter::OnCommand(int id, int notifyCode)
{
    if (notifyCode == BN_CLICKED) {
        switch (id) {
        case IDC_PRN_OPEN_DRAWER:    OnOpenDrawer(); return true;
        case IDC_PRN_DRAWER_STATUS:  OnDrawerStatus(); return true;
        case IDC_PRN_FEED:           OnFeed(); return true;
        case IDC_PRN_CUT:            OnCut(); return true;
        case IDC_PRN_BITMAP:         OnPrintBitmap(); return true;
        case IDC_PRN_RECEIPT:        OnPrintReceipt(); return true;
        case IDC_PRN_BARCODE:        OnPrintBarcode(); return true;
        case IDC_PRN_TEXT:           OnPrintText(); return true;
        case IDC_PRN_QR:             OnPrintQrCode(); return true;
        case IDC_PRN_DRIVER_DRAWER:  PrintViaDriver(true); return true;
        case IDC_PRN_DRIVER_RECEIPT: PrintViaDriver(false); return true;
        default: break;
        }
    }
    return CDialogEx::OnCommand(id, notifyCode);
}
// clang-format on

void CPagePrinter::RefreshDrawerStatusControls()
{
    const bool rx720 = g_settings.IsModel(MachineModel::RX720);
    if (!rx720 && !g_settings.IsModel(MachineModel::RX520))
        return;
    const int show = rx720 ? SW_SHOW : SW_HIDE;
    Item(IDC_PRN_DRAWER_STATUS).ShowWindow(show);
    Item(IDC_PRN_DRAWER_OPENED).ShowWindow(show);
}

void CPagePrinter::OnOpenDrawer()
{
    if (!g_settings.IsModel(MachineModel::RX720)) {
        OpenCashDrawerEx();
        return;
    }
    // The RX720 drives its drawer from the main board or from the printer; the technician has to
    // plug it into the one the settings name, so say which before trying.
    const bool onBoard = g_settings.IsDrawerOnBoard();
    ShowMessageBox(m_hWnd,
        onBoard ? "当前为主板控制钱箱，请确保钱箱接在主板上！" : "当前为打印机控制钱箱，请确保钱箱接在打印机上！",
        kHintCaption, MB_ICONEXCLAMATION);
    OpenCashDrawerEx();
    if (onBoard)
        OnDrawerStatus();
}

void CPagePrinter::OnDrawerStatus()
{
    if (!g_settings.IsDrawerOnBoard()) {
        // A drawer on the printer's kick-out port reports nothing back.
        ShowMessageBox(m_hWnd, "当前为打印机控制钱箱，不支持获取状态！", kHintCaption, MB_ICONEXCLAMATION);
        return;
    }
    const bool open = (GetCashDrawerStatus() & 0xFF) == 0;
    Button(IDC_PRN_DRAWER_OPENED).SetCheck(open ? BST_CHECKED : BST_UNCHECKED);
}

void CPagePrinter::OnFeed()
{
    BeginPrint(4);
}

void CPagePrinter::OnCut()
{
    CutPaper();
}

void CPagePrinter::OnPrintBitmap()
{
    std::string path;
    if (!AskOpenFileName(nullptr, kBitmapFilter, path))
        return;
    // The library is handed a path it can open; a name that vanished meanwhile or names a folder
    // is dropped without a word, as a cancelled dialog is.
    if (IsExistingRegularFile(path))
        PrintBitmapFile(path.c_str(), 0);
}

void CPagePrinter::OnPrintReceipt()
{
    PrintReceiptByCommands(m_editReceipt.GetWindowText());
}

void CPagePrinter::OnPrintBarcode()
{
    PrintBarCode(GetDlgItemText(IDC_PRN_BARCODE_EDIT).c_str(), 2, 50, 2);
    BeginPrint(4);
}

void CPagePrinter::OnPrintText()
{
    PrintText(GetDlgItemText(IDC_PRN_TEXT_EDIT).c_str(), 8);
    BeginPrint(4);
}

void CPagePrinter::OnPrintQrCode()
{
    PrintQrCode(GetDlgItemText(IDC_PRN_QR_EDIT).c_str(), 8);
    BeginPrint(4);
}
