// The setup page: edits and saves the terminal's configuration.
#pragma once

#include "framework/DialogEx.h"
#include "res/resource.h"

class CPageSetup : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_SETUP };
    CPageSetup() : CDialogEx(IDD) {}
};
