// The printer and cash-drawer page: drawer, paper and print tests through the device library,
// and the receipt or an empty drawer-opening job through an installed Windows printer.
#pragma once

#include "framework/Controls.h"
#include "framework/DialogEx.h"
#include "framework/Font.h"
#include "res/resource.h"

#include <string>

class CPagePrinter : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_PRINTER };
    CPagePrinter() : CDialogEx(IDD) { }
    // The window goes while the receipt edit's font still exists.
    ~CPagePrinter() override { DestroyWindow(); }

    // Shows the drawer-status controls on the RX720, hides them on the RX520 and leaves them as
    // they are on any other model. The main window calls it each time it shows this page.
    void RefreshDrawerStatusControls();

    // The installed printers into the combo, the user's default one selected (DriverPrinting.cpp).
    void FillPrinterList();
    // Prints the receipt on the chosen printer, or with drawerOnly an empty one-page job that a
    // driver set to open the drawer at each job answers by opening it (DriverPrinting.cpp).
    void PrintViaDriver(bool drawerOnly);

    CEdit m_editReceipt;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;

private:
    void OnOpenDrawer();
    void OnDrawerStatus();
    void OnFeed();
    void OnCut();
    void OnPrintBitmap();
    void OnPrintReceipt();
    void OnPrintBarcode();
    void OnPrintText();
    void OnPrintQrCode();

    CFont m_fontReceipt;
};
