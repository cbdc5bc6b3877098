// The printer name in the user profile's default-printer entry.
#include "pages/printer/PrinterList.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultPrinterEntry, FirstNonEmptyFieldBeforeAComma)
{
    EXPECT_EQ(FirstProfileField("POS58,wineps.drv,CUPS:POS58"), "POS58");
    EXPECT_EQ(FirstProfileField("收银打印机,winspool,Ne00:"), "收银打印机");
    EXPECT_EQ(FirstProfileField("Only a name"), "Only a name");
    EXPECT_EQ(FirstProfileField(",,POS58,winspool"), "POS58") << "leading empty fields are skipped";
    EXPECT_EQ(FirstProfileField(",,,"), "");
    EXPECT_EQ(FirstProfileField(""), "");

    const std::string longName(300, 'P');
    EXPECT_EQ(FirstProfileField(longName + ",wineps.drv,CUPS:" + longName), longName);
}

} // namespace
