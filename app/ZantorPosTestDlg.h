// The main window: three page buttons and a close button above a tab area that hosts the
// setup, printer and scale pages as child dialogs. The bold button marks the visible page.
#pragma once

#include "framework/Controls.h"
#include "framework/DialogEx.h"
#include "framework/Font.h"
#include "pages/printer/PagePrinter.h"
#include "pages/scale/PageScale.h"
#include "pages/setup/PageSetup.h"
#include "res/resource.h"

#include <string>

class CZantorPosTestDlg : public CDialogEx {
public:
    enum { IDD = IDD_ZANTORPOSTEST_DIALOG };
    enum Page { kPageScale = 0, kPagePrinter = 1, kPageSetup = 2 };

    CZantorPosTestDlg();
    ~CZantorPosTestDlg() override;

    void ShowPage(int page);
    // TRUE captures the margins from the template's layout, FALSE applies them to the client size.
    void LayoutControls(BOOL capture);

    HICON m_hIcon;
    CFont m_fontNormal;
    CFont m_fontBold;
    CButton m_btnScale;
    CButton m_btnPrinter;
    CButton m_btnSetup;
    CTabCtrl m_tabCtrl;
    CPageSetup m_pageSetup;
    CPagePrinter m_pagePrinter;
    CPageScale m_pageScale;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnPaint();
    void OnSizing(UINT edge, RECT* rect);
    void OnSize(UINT type, int cx, int cy) override;

private:
    // Distances, in pixels, from the client area's right and bottom edges that the controls
    // following the window's size keep; captured once from the template's layout.
    struct Anchors {
        int closeRight = 0;
        int tabRight = 0;
        int tabBottom = 0;
    };

    void CreateFonts();
    void CreatePages();

    Anchors m_anchors;
};

// "POS称配置工具V" + program version + "  DllVersion:" + library version.
std::string MakeMainCaption(const std::string& fileVersion, const std::string& dllVersion);
