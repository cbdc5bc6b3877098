// A DLL loaded at run time and released with its owner. The dialogs of comdlg32 and the shell's
// ShellExecute are needed only when the user asks for them, and loading those libraries at
// start-up would cost every start of the tool; the scale SDK may be missing altogether.
#pragma once

#include <windows.h>

class CLibrary {
public:
    CLibrary() = default;
    ~CLibrary() { Free(); }
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    bool Load(const wchar_t* name)
    {
        Free();
        m_module = ::LoadLibraryW(name);
        return m_module != nullptr;
    }
    void Free()
    {
        if (m_module) {
            ::FreeLibrary(m_module);
            m_module = nullptr;
        }
    }
    bool IsLoaded() const { return m_module != nullptr; }
    // Hands the module to the caller, who then owns it; this object no longer frees it.
    HMODULE Detach()
    {
        const HMODULE module = m_module;
        m_module = nullptr;
        return module;
    }

    // The named export as a function pointer of type Fn, or nullptr.
    template <typename Fn> Fn GetProc(const char* name) const
    {
        return m_module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(m_module, name))) : nullptr;
    }

private:
    HMODULE m_module = nullptr;
};
