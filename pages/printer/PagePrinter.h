// The printer and cash-drawer page.
#pragma once

#include "framework/DialogEx.h"
#include "res/resource.h"

class CPagePrinter : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_PRINTER };
    CPagePrinter() : CDialogEx(IDD) {}

    // Shows or hides the drawer-status controls for the machine model.
    void RefreshDrawerStatusControls() {}
};
