#include "PrinterTexts.h"

const char kSampleReceipt[] = "           测试店\r\n"
                              "POS机号:0001    收款员：王五\r\n"
                              "交易时间：2020-05-30 11:08:12\r\n"
                              "品名      单价     数量     金额\r\n"
                              "可口可乐   2.50   1.00      2.50\r\n"
                              "生鱼片     98.0    1.00    98.00\r\n"
                              "生鱼片     98.0    1.00    98.00\r\n"
                              "生鱼片     98.0    1.00    98.00\r\n"
                              "生鱼片     98.0    1.00    98.00\r\n"
                              "--------------------------------\r\n"
                              "合计金额：2323230.00\r\n"
                              "实付金额：0.01\r\n"
                              "支付方式：扫描支付\r\n"
                              "BARCODE\r\n"
                              "--------------------------------\r\n"
                              "\t\t \r\n"
                              "\t\t \r\n"
                              "\t\t \r\n"
                              "\t\t \r\n";

const char kDefaultPrintText[] = "打印测试1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
const char kDefaultBarcode[] = "6931081400127";
const char kDefaultQrText[] = "https://zantor.example.com/zantorpostest";
const char kReceiptBarcode[] = "6931081400127";
const char kReceiptBarcodeLine[] = "BARCODE";
