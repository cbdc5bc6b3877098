#!/usr/bin/env python3
"""Writes the benchmark's ESC/POS streams into the folder given.

chinese-receipt.bin  a GBK shop receipt like the program's sample receipt
barcode-qr.bin       a receipt with EAN-13, CODE128 and a QR code
bitmap-raster.bin    576 x 2000 dots as one GS v 0 image
bitmap-escstar.bin   576 x 2000 dots as ESC * 24-dot double-density stripes
bitmap-huge.bin      576 x 200000 dots (GS v 0), far beyond the page cap
"""
import os
import random
import sys

ESC, GS = b"\x1b", b"\x1d"


def gbk(s):
    return s.encode("gbk")


def chinese_receipt():
    out = ESC + b"@" + ESC + b"a\x01" + GS + b"!\x11" + gbk("测试店\n") + GS + b"!\x00"
    out += gbk("地址：测试路88号  电话：0571-88888888\n") + ESC + b"a\x00"
    out += gbk("单号：20240501-0042    收银员：01\n") + b"-" * 48 + b"\n"
    items = [("苹果", "2.350", "6.80"), ("香蕉", "1.120", "5.98"), ("大米 5kg", "1", "39.90"),
             ("酱油", "2", "13.00"), ("鸡蛋", "0.850", "9.35"), ("牛奶", "3", "15.00")]
    out += gbk("品名            数量        金额\n")
    for name, qty, amount in items:
        line = name.encode("gbk").ljust(16) + qty.encode().ljust(12) + amount.encode().rjust(8)
        out += line + b"\n"
    out += b"-" * 48 + b"\n"
    out += ESC + b"E\x01" + GS + b"!\x01" + gbk("合计金额：          90.03\n") + GS + b"!\x00" + ESC + b"E\x00"
    out += gbk("实收：100.00    找零：9.97\n")
    out += gbk("打印时间：2024-05-01 12:00:00\n用时：35 ms\n") + ESC + b"a\x01" + gbk("谢谢惠顾，欢迎再次光临！\n")
    out += ESC + b"d\x04" + GS + b"VB\x00"
    return out


def barcode_qr():
    out = ESC + b"@" + ESC + b"a\x01" + gbk("条码与二维码\n")
    out += GS + b"h\x50" + GS + b"w\x02" + GS + b"H\x02" + GS + b"kC\x0d6931081400127\n"
    out += GS + b"kI\x0c{BZantor-0042\n"
    url = b"https://zantor.example/receipt?id=20240501-0042"
    out += GS + b"(k\x03\x00\x31\x43\x06" + GS + b"(k\x03\x00\x31\x45\x31"
    out += GS + b"(k" + bytes([len(url) + 3, 0]) + b"\x31\x50\x30" + url + GS + b"(k\x03\x00\x31\x51\x30\n"
    out += ESC + b"d\x03" + GS + b"V\x00"
    return out


def pattern(rows, width_bytes, seed):
    rnd = random.Random(seed)
    return bytes(rnd.getrandbits(8) for _ in range(rows * width_bytes))


def bitmap_raster(rows):
    out = ESC + b"@" + GS + b"v0\x00" + bytes([72, 0, rows & 0xFF, rows >> 8])
    return out + pattern(rows, 72, 1) + GS + b"V\x00"


def bitmap_huge(rows):
    # Sent as 100 stacked GS v 0 images of 2000 rows each (the row count
    # field is 16 bits).
    out = ESC + b"@"
    strip = pattern(2000, 72, 2)
    for _ in range(rows // 2000):
        out += GS + b"v0\x00" + bytes([72, 0, 2000 & 0xFF, 2000 >> 8]) + strip
    return out + GS + b"V\x00"


def bitmap_escstar(rows):
    out = ESC + b"@" + ESC + b"3\x18"
    rnd = random.Random(3)
    for _ in range((rows + 23) // 24):
        out += ESC + b"*\x21" + bytes([576 & 0xFF, 576 >> 8])
        out += bytes(rnd.getrandbits(8) for _ in range(576 * 3)) + b"\n"
    return out + GS + b"V\x00"


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    streams = {
        "chinese-receipt.bin": chinese_receipt(),
        "barcode-qr.bin": barcode_qr(),
        "bitmap-raster.bin": bitmap_raster(2000),
        "bitmap-escstar.bin": bitmap_escstar(2000),
        "bitmap-huge.bin": bitmap_huge(200000),
    }
    for name, data in streams.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
