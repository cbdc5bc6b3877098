#include "SampleReceipt.h"

const std::vector<std::string>& SampleReceiptLines()
{
    static const std::vector<std::string> lines = {
        "           测试店",
        "POS机号:0001    收款员：王五",
        "交易时间：2020-05-30 11:08:12",
        "品名      单价     数量     金额",
        "可口可乐   2.50   1.00      2.50",
        "生鱼片     98.0    1.00    98.00",
        "生鱼片     98.0    1.00    98.00",
        "生鱼片     98.0    1.00    98.00",
        "生鱼片     98.0    1.00    98.00",
        "--------------------------------",
        "合计金额：2323230.00",
        "实付金额：0.01",
        "支付方式：扫描支付",
        "BARCODE",
        "--------------------------------",
        "\t\t ",
        "\t\t ",
        "\t\t ",
        "\t\t ",
    };
    return lines;
}

std::string SampleReceiptText()
{
    std::string text;
    for (const std::string& line : SampleReceiptLines())
        text += line + "\r\n";
    return text;
}
