// A dialog built from a template in the program's resources, modal or as a modeless child.
// The window's messages reach the object through one thunk: `this` travels in the creation
// parameter, is kept in DWLP_USER from WM_INITDIALOG on, and every later message goes to the
// one virtual WindowProc. Derived classes switch on commands in OnCommand, one line a control.
#pragma once

#include "Controls.h"
#include "Wnd.h"

class CDialogEx : public CWnd {
public:
    explicit CDialogEx(UINT templateId) : m_templateId(templateId) { }
    ~CDialogEx() override;
    CDialogEx(const CDialogEx&) = delete;
    CDialogEx& operator=(const CDialogEx&) = delete;

    // Runs the dialog modally; returns the code passed to EndDialog, or -1 if it could not start.
    INT_PTR DoModal(HWND parent = nullptr);
    // Creates the dialog modelessly, usually as a child page; it shows only if its template says so.
    bool Create(HWND parent);
    void EndDialog(int result);
    // Destroys the window now, children first. By the time ~CDialogEx runs, the derived part of
    // the object is gone (its WindowProc no longer answers, its members are released), so a
    // derived class whose handlers or members take part in the destruction calls this from its
    // own destructor; ~CDialogEx only destroys what is left.
    void DestroyWindow();

protected:
    virtual void DoDataExchange() { }
    // Binds a control of the template to a wrapper object.
    void DDX_Control(int id, CWnd& control) { control.Attach(GetDlgItem(id)); }
    // A control of the template, wrapped for the moment's use; the dialog keeps owning it.
    template <typename Control = CWnd> Control Item(int id) const
    {
        Control control;
        control.Attach(GetDlgItem(id));
        return control;
    }
    CComboBox Combo(int id) const { return Item<CComboBox>(id); }
    CButton Button(int id) const { return Item<CButton>(id); }

    // Return TRUE to let the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    // Return true when the command was handled.
    virtual bool OnCommand(int id, int notifyCode);
    virtual void OnTimer(UINT_PTR /*id*/) { }
    // After the dialog manager's own handling, which is why neither reports anything back.
    virtual void OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) { }
    virtual void OnDestroy() { }
    // Modal dialogs end here; a modeless page ignores Enter and Escape.
    virtual void OnOK();
    virtual void OnCancel();

    // The one message handler. Returns what a dialog procedure returns: TRUE when handled
    // (a result, if any, set with SetMessageResult), FALSE for the dialog manager's default.
    virtual INT_PTR WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void SetMessageResult(LRESULT result) const { ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    const UINT m_templateId;
    bool m_modal = false;
};
