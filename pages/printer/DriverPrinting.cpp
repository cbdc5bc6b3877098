// The printer page's printing through an installed Windows printer: its driver renders the
// receipt and the spooler delivers the job.
#include "PagePrinter.h"

#include "PrinterList.h"
#include "ReceiptLayout.h"
#include "framework/TextUtils.h"
#include "framework/Seams.h"
#include "drivers/common/OwnedHandle.h"
#include "framework/TextCodec.h"

namespace {

using OwnedFont = Owned<HFONT, &::DeleteObject>;

// Selected into the printer's device context for the receipt.
OwnedFont CreateReceiptFont()
{
    LOGFONTW font {};
    font.lfHeight = 20;
    font.lfWidth = 12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    return OwnedFont(::CreateFontIndirectW(&font));
}

void DrawLine(HDC dc, int y, const std::string& gbk)
{
    const std::wstring text = Widen(gbk);
    ::TextOutW(dc, kReceiptLineX, y, text.c_str(), static_cast<int>(text.size()));
}

// Draws the pieces and the closing mark on the page that StartPage/SaveDC opened, turning to a
// new page where a line would fall below the printable area. Leaves the last page open.
void DrawReceipt(HDC dc, HFONT font, const std::vector<std::string>& pieces)
{
    ::SelectObject(dc, font);
    TEXTMETRICW metrics {};
    const int lineHeight = ::GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 20;
    const ReceiptLayout layout = LayoutReceipt(pieces.size(), ::GetDeviceCaps(dc, VERTRES), lineHeight);

    int page = 0;
    auto turnTo = [&](int wanted) {
        while (page < wanted) {
            ::RestoreDC(dc, -1);
            ::EndPage(dc);
            ::StartPage(dc);
            ::SaveDC(dc);
            ::SelectObject(dc, font);
            ++page;
        }
    };
    for (size_t i = 0; i < pieces.size(); ++i) {
        turnTo(layout.lines[i].page);
        DrawLine(dc, layout.lines[i].y, pieces[i]);
    }
    turnTo(layout.mark.page);
    DrawLine(dc, layout.mark.y, "-");
}

} // namespace

void CPagePrinter::FillPrinterList()
{
    const CComboBox list = Combo(IDC_PRN_DRIVER_LIST);

    std::vector<std::string> names;
    EnumPrinterNames(names);
    for (const std::string& name : names)
        list.AddString(name);

    const std::string defaultPrinter = DefaultPrinterName();
    if (!defaultPrinter.empty())
        list.SelectExact(defaultPrinter);
}

void CPagePrinter::PrintViaDriver(bool drawerOnly)
{
    const CComboBox list = Combo(IDC_PRN_DRIVER_LIST);
    if (list.GetCount() <= 0) {
        ShowMessageBox(m_hWnd, "没有安装打印机!", nullptr, MB_OK);
        return;
    }
    if (list.GetCurSel() < 0) {
        ShowMessageBox(m_hWnd, "请选择打印机!", nullptr, MB_OK);
        return;
    }
    const std::string printer = list.GetWindowText();
    if (!FindPrinter(printer)) {
        ShowMessageBox(m_hWnd, "取打印机信息失败!", nullptr, MB_OK);
        return;
    }

    // The font outlives the DC: a failure that skips RestoreDC leaves it selected there, and a
    // selected font cannot be deleted.
    OwnedFont font;
    const Owned<HDC, &::DeleteDC> owned(::CreateDCW(nullptr, Widen(printer).c_str(), nullptr, nullptr));
    const HDC dc = owned.get();
    if (!dc)
        return;
    DOCINFOW document {};
    document.cbSize = sizeof document;
    document.lpszDocName = L"printer";
    if (::StartDocW(dc, &document) <= 0)
        return;
    // Aborted on any failure before EndDoc (out of memory while drawing), so no half-made job stays.
    Owned<HDC, &::AbortDoc> openJob(dc);

    ::StartPage(dc);
    ::SaveDC(dc);
    if (!drawerOnly) {
        font = CreateReceiptFont();
        DrawReceipt(dc, font.get(), SplitText(m_editReceipt.GetWindowText(), "\r\n"));
    }
    ::RestoreDC(dc, -1);
    ::EndPage(dc);
    openJob.release();
    // The spooler refuses the finished job when the queue no longer takes jobs or is gone; the
    // technician must not be told it printed, nor expect the drawer to have opened.
    if (::EndDoc(dc) <= 0)
        ShowMessageBox(m_hWnd, "打印失败!", nullptr, MB_OK);
    else if (!drawerOnly)
        ShowMessageBox(m_hWnd, "打印完毕!", "提示", MB_ICONINFORMATION);
}
