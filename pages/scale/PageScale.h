// The scale page.
#pragma once

#include "framework/DialogEx.h"
#include "res/resource.h"

class CPageScale : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_SCALE };
    CPageScale() : CDialogEx(IDD) {}
};
