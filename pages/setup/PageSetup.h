// The setup page: edits the terminal's configuration and saves it to the settings file. The
// form's state lives in its controls and the configuration in g_settings; the page keeps none.
#pragma once

#include "framework/Controls.h"
#include "framework/DialogEx.h"
#include "res/resource.h"

#include <string>

class CPageSetup : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_SETUP };
    CPageSetup() : CDialogEx(IDD) { }
    ~CPageSetup() override { DestroyWindow(); }

    // Enables and disables the controls a machine model lets the user change; a name that is no
    // model changes nothing.
    void ApplyModelRules(const std::string& model);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;

    void OnBnClickedSave();
    void OnBnClickedLogFile();
    void OnCbnSelchangeModel();
    void OnBnClickedDrawerControl();
};
