#include "SeamRecorder.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The program's texts are GBK; a run under another code page would test something else.
    if (::GetACP() != 936) {
        std::fprintf(
            stderr, "ANSI code page is %u, not 936: run with LC_ALL=zh_CN.UTF-8 and a generated locale\n", ::GetACP());
        return 1;
    }
    INITCOMMONCONTROLSEX controls {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    InstallFailingSeams();
    return RUN_ALL_TESTS();
}
