#include "Platform.h"

#include "Links.h"

#include "drivers/common/OwnedHandle.h"
#include "drivers/pos_ad/core/Bmp.h"

#include <windows.h>

namespace platform {

namespace {

int Read(const IntKey& key)
{
    return static_cast<int>(::GetPrivateProfileIntA(key.section, key.name, key.fallback, keys::kSettingsFile));
}

std::string Read(const TextKey& key)
{
    std::string value(1024, '\0');
    const DWORD length = ::GetPrivateProfileStringA(
        key.section, key.name, key.fallback, value.data(), static_cast<DWORD>(value.size()), keys::kSettingsFile);
    value.resize(length);
    return value;
}

bool ReadFileBytes(const char* path, Bytes& bytes, std::string& error)
{
    const OwnedHandle owned = OwnFile(
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    const HANDLE file = owned.get();
    if (!file) {
        error = "file cannot be opened: " + SystemError(::GetLastError());
        return false;
    }
    LARGE_INTEGER size {};
    bool ok = ::GetFileSizeEx(file, &size) != 0;
    if (!ok) {
        error = "file size cannot be read: " + SystemError(::GetLastError());
    } else if (size.QuadPart > image::kMaxFileBytes) {
        error = "file of " + std::to_string(size.QuadPart) + " bytes is larger than " +
            std::to_string(image::kMaxFileBytes);
        ok = false;
    } else {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
            (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
        if (!ok)
            error = "file cannot be read: " + SystemError(::GetLastError());
    }
    return ok;
}

// Makes every missing folder of a path that ends in a folder name.
void MakeFolders(const std::string& folder)
{
    for (size_t at = folder.find_first_of("\\/", 3);; at = folder.find_first_of("\\/", at + 1)) {
        ::CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos)
            break;
    }
}

} // namespace

PosAdConfig LoadConfig()
{
    PosAdConfig c;
    c.runLog = Read(keys::kRunLog);
    c.printerPort = Read(keys::kPrinterPort);
    c.printerBaud = Read(keys::kPrinterBaud);
    c.lineSpace = Read(keys::kLineSpacing);
    c.density = Read(keys::kImageDensity);
    c.drawerControl = Read(keys::kDrawerControl);
    c.boardType = Read(keys::kBoardType);
    c.scalePort = Read(keys::kScalePort);
    c.scaleBaud = Read(keys::kScaleBaud);

    c.printerAddress = Read(keys::kPrinterAddress);
    c.usbDevice = Read(keys::kUsbDevice);
    c.paperWidth = Read(keys::kPaperWidth);
    c.boardPort = Read(keys::kBoardPort);
    c.boardBaud = Read(keys::kBoardBaud);
    c.drawerOpenHigh = Read(keys::kDrawerOpenHigh);
    return c;
}

runlog::Stamp Now()
{
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void AppendRunLog(const runlog::Stamp& when, const std::string& line)
{
    MakeFolders(keys::kLogFolder);
    const std::string path = std::string(keys::kLogFolder) + "/" + runlog::FileName(when);
    const OwnedHandle file = OwnFile(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool DecodeWithSystem(const char* path, image::Rgba& out, std::string& error)
{
    const Owned<HGDIOBJ, &::DeleteObject> owned(
        ::LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    const HBITMAP bitmap = static_cast<HBITMAP>(owned.get());
    if (!bitmap) {
        error = "the system cannot decode the BMP: " + SystemError(::GetLastError());
        return false;
    }
    BITMAP info {};
    ::GetObjectA(bitmap, sizeof info, &info);
    bool ok = info.bmWidth > 0 && info.bmHeight > 0 && info.bmWidth <= image::kMaxSide &&
        info.bmHeight <= image::kMaxSide && static_cast<long long>(info.bmWidth) * info.bmHeight <= image::kMaxPixels;
    if (!ok) {
        error = "the system decoded an image of " + std::to_string(info.bmWidth) + "x" + std::to_string(info.bmHeight) +
            ", outside the limits";
    } else {
        BITMAPINFO request {};
        request.bmiHeader.biSize = sizeof request.bmiHeader;
        request.bmiHeader.biWidth = info.bmWidth;
        request.bmiHeader.biHeight = -info.bmHeight; // rows top to bottom
        request.bmiHeader.biPlanes = 1;
        request.bmiHeader.biBitCount = 32;
        request.bmiHeader.biCompression = BI_RGB;
        std::vector<uint8_t> bgrx(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4);
        const HDC screen = ::GetDC(nullptr);
        ok = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), bgrx.data(), &request, DIB_RGB_COLORS) ==
            info.bmHeight;
        ::ReleaseDC(nullptr, screen);
        if (ok) {
            out.width = info.bmWidth;
            out.height = info.bmHeight;
            out.pixels.resize(bgrx.size());
            for (size_t i = 0; i < bgrx.size(); i += 4) {
                out.pixels[i] = bgrx[i + 2];
                out.pixels[i + 1] = bgrx[i + 1];
                out.pixels[i + 2] = bgrx[i];
                out.pixels[i + 3] = 255;
            }
        } else {
            error = "the system cannot read the decoded pixels";
        }
    }
    return ok;
}

bool DecodeBitmapFile(const char* path, image::Rgba& out, std::string& error)
{
    Bytes file;
    return ReadFileBytes(path, file, error) &&
        bmp::Decode(file.data(), file.size(), out, error,
            [path](image::Rgba& decoded, std::string& why) { return DecodeWithSystem(path, decoded, why); });
}

} // namespace platform
