// The scale page: open the scale connection, set zero, take or clear the tare, and watch net,
// tare or gross weight and status. With machine model 0 the scale is driven through the scale
// SDK, which pushes readings through onScaleResult; with any other model through the device
// library, read once a second while weighing runs.
#pragma once

#include "framework/DialogEx.h"
#include "res/resource.h"

struct ScaleReading;

class CPageScale : public CDialogEx {
public:
    enum { IDD = IDD_PAGE_SCALE };
    enum { kPollTimer = 1001, kPollPeriodMs = 1000 };

    CPageScale() : CDialogEx(IDD) { }
    // The window goes while OnDestroy still takes it off the mailbox.
    ~CPageScale() override { DestroyWindow(); }

    // Registered with the SDK; called on whatever thread the SDK chooses. It never touches a
    // control itself: the reading goes to the page's own thread (ReadingMailbox.h).
    static void __stdcall onScaleResult(const char* text, int unused);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int notifyCode) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    // Only for the mailbox's notification, a registered message.
    INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOpen();
    void OnClose();
    void OnZero();
    void OnTare();
    void pollDeviceScale();

    void ShowReading(const ScaleReading& reading) const;
    void EmptyFields() const;
};
