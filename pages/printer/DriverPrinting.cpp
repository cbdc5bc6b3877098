// The printer page's printing through an installed Windows printer: its driver renders the
// receipt and the spooler delivers the job.
#include "PagePrinter.h"

#include "PrinterList.h"
#include "ReceiptLayout.h"
#include "framework/TextUtils.h"
#include "framework/Seams.h"
#include "framework/TextCodec.h"

#include <memory>
#include <optional>
#include <type_traits>

namespace {

// Selected into the printer's device context for the receipt; deleted once the context has
// been restored and no longer holds it.
class ReceiptFont {
public:
    ReceiptFont()
    {
        LOGFONTW font {};
        font.lfHeight = 20;
        font.lfWidth = 12;
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        m_font = ::CreateFontIndirectW(&font);
    }
    ~ReceiptFont()
    {
        if (m_font)
            ::DeleteObject(m_font);
    }
    ReceiptFont(const ReceiptFont&) = delete;
    ReceiptFont& operator=(const ReceiptFont&) = delete;

    HFONT Handle() const { return m_font; }

private:
    HFONT m_font = nullptr;
};

// The printer's device context, deleted on every way out.
struct DeleteDc {
    void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};
using OwnedDc = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDc>;

// An open spool job: aborted unless it was ended, so a failure while drawing (out of memory)
// leaves no half-made job in the spooler.
class SpoolJob {
public:
    SpoolJob(HDC dc, const DOCINFOW& document) : m_dc(dc), m_open(::StartDocW(dc, &document) > 0) { }
    ~SpoolJob()
    {
        if (m_open)
            ::AbortDoc(m_dc);
    }
    SpoolJob(const SpoolJob&) = delete;
    SpoolJob& operator=(const SpoolJob&) = delete;

    bool Started() const { return m_open; }
    // True when the spooler took the finished job.
    bool End()
    {
        m_open = false;
        return ::EndDoc(m_dc) > 0;
    }

private:
    HDC m_dc;
    bool m_open;
};

void DrawLine(HDC dc, int y, const std::string& gbk)
{
    const std::wstring text = Widen(gbk);
    ::TextOutW(dc, kReceiptLineX, y, text.c_str(), static_cast<int>(text.size()));
}

// Draws the pieces and the closing mark on the page that StartPage/SaveDC opened, turning to a
// new page where a line would fall below the printable area. Leaves the last page open.
void DrawReceipt(HDC dc, const ReceiptFont& font, const std::vector<std::string>& pieces)
{
    ::SelectObject(dc, font.Handle());
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
            ::SelectObject(dc, font.Handle());
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
    if (defaultPrinter.empty())
        return;
    const int index = list.FindExact(defaultPrinter);
    if (index >= 0)
        list.SetCurSel(index);
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

    const OwnedDc owned(::CreateDCW(nullptr, Widen(printer).c_str(), nullptr, nullptr));
    const HDC dc = owned.get();
    if (!dc)
        return;
    DOCINFOW document {};
    document.cbSize = sizeof document;
    document.lpszDocName = L"printer";
    SpoolJob job(dc, document);
    if (!job.Started())
        return;

    {
        std::optional<ReceiptFont> font;
        ::StartPage(dc);
        ::SaveDC(dc);
        if (!drawerOnly) {
            font.emplace();
            DrawReceipt(dc, *font, SplitText(m_editReceipt.GetWindowText(), "\r\n"));
        }
        ::RestoreDC(dc, -1);
        ::EndPage(dc);
    }
    // The spooler refuses the finished job when the queue no longer takes jobs or is gone; the
    // technician must not be told it printed, nor expect the drawer to have opened.
    if (!job.End())
        ShowMessageBox(m_hWnd, "打印失败!", nullptr, MB_OK);
    else if (!drawerOnly)
        ShowMessageBox(m_hWnd, "打印完毕!", "提示", MB_ICONINFORMATION);
}
