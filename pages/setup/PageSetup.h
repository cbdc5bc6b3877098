// The setup page: edits the terminal's configuration and saves it to the settings file. The
// form's state lives in its controls and the configuration in g_settings; the page keeps none.
#pragma once

#include "framework/Controls.h"
#include "framework/DialogEx.h"
#include "res/resource.h"

struct ModelPreset;

class CPageSetup : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_SETUP };
    CPageSetup() : CDialogEx(IDD) { }
    ~CPageSetup() override { DestroyWindow(); }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;

    void OnBnClickedSave();
    void OnBnClickedLogFile();
    void OnCbnSelchangeModel();
    void OnBnClickedDrawerControl();

private:
    // Enables and disables the controls the machine model lets the user change.
    void ApplyModelRules(const ModelPreset& preset);
};
