// Parallel ports and USB printers: overlapped I/O, so each transfer can be given up on after its
// bound even where the port has no timeouts of its own.
#include "Links.h"

#include "Bounds.h"
#include "drivers/common/OwnedHandle.h"

#include <setupapi.h>

#include <algorithm>
#include <vector>

namespace {

// The USB printing device interface class (GUID_DEVINTERFACE_USBPRINT of the USB printing driver).
const GUID kUsbPrintInterface = {0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

// An overlapped transfer owns its buffer and event until the system lets go of them; a transfer
// that will not cancel is left to the system rather than freed under it.
struct Transfer {
    OVERLAPPED overlapped {};
    std::vector<uint8_t> buffer;
    Transfer() { overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Transfer() { ::CloseHandle(overlapped.hEvent); }
};

class HandleLink : public Link {
public:
    HandleLink(OwnedHandle handle, std::string name) : m_handle(std::move(handle)), m_name(std::move(name)) { }

    bool Write(const uint8_t* data, size_t size, size_t& sent, std::string& error) override
    {
        sent = 0;
        while (sent < size) {
            const size_t chunk = std::min(size - sent, bounds::kChunkBytes);
            auto transfer = std::make_unique<Transfer>();
            transfer->buffer.assign(data + sent, data + sent + chunk);
            DWORD done = 0;
            if (!Run(transfer, true, bounds::kStallMs, done, error))
                return false;
            sent += done;
            if (done == 0) {
                error = "the device stopped taking bytes (nothing for " + std::to_string(bounds::kStallMs) + " ms)";
                return false;
            }
        }
        return true;
    }

    bool Read(uint8_t* buffer, size_t capacity, unsigned timeoutMs, size_t& got, std::string& error) override
    {
        got = 0;
        auto transfer = std::make_unique<Transfer>();
        transfer->buffer.resize(std::min<size_t>(capacity, 4096));
        DWORD done = 0;
        if (!Run(transfer, false, timeoutMs, done, error))
            return false;
        std::copy(transfer->buffer.begin(), transfer->buffer.begin() + done, buffer);
        got = done;
        return true;
    }

    void DiscardInput() override { }

private:
    // Starts the transfer and waits up to waitMs; a transfer still running then is cancelled and
    // counts what it moved so far.
    bool Run(std::unique_ptr<Transfer>& transfer, bool write, unsigned waitMs, DWORD& done, std::string& error)
    {
        done = 0;
        if (!transfer->overlapped.hEvent) {
            error = "no event for the transfer: " + SystemError(::GetLastError());
            return false;
        }
        const DWORD size = static_cast<DWORD>(transfer->buffer.size());
        const BOOL started = write
            ? ::WriteFile(m_handle.get(), transfer->buffer.data(), size, nullptr, &transfer->overlapped)
            : ::ReadFile(m_handle.get(), transfer->buffer.data(), size, nullptr, &transfer->overlapped);
        if (!started && ::GetLastError() != ERROR_IO_PENDING) {
            error =
                std::string(write ? "write" : "read") + " on " + m_name + " failed: " + SystemError(::GetLastError());
            return false;
        }
        if (::WaitForSingleObject(transfer->overlapped.hEvent, waitMs) != WAIT_OBJECT_0) {
            ::CancelIoEx(m_handle.get(), &transfer->overlapped);
            if (::WaitForSingleObject(transfer->overlapped.hEvent, bounds::kCancelMs) != WAIT_OBJECT_0) {
                transfer.release(); // still the system's: leaking beats freeing memory under a transfer
                error = m_name + " does not let go of a cancelled transfer";
                return false;
            }
        }
        if (!::GetOverlappedResult(m_handle.get(), &transfer->overlapped, &done, FALSE)) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_OPERATION_ABORTED) {
                error = std::string(write ? "write" : "read") + " on " + m_name + " failed: " + SystemError(code);
                return false;
            }
        }
        return true;
    }

    OwnedHandle m_handle;
    std::string m_name;
};

} // namespace

std::string FirstUsbPrinter(std::string& error)
{
    const HDEVINFO devices =
        ::SetupDiGetClassDevsA(&kUsbPrintInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE) {
        error = "USB printers cannot be listed: " + SystemError(::GetLastError());
        return {};
    }
    const Owned<HDEVINFO, &::SetupDiDestroyDeviceInfoList> listOwner(devices);
    std::string path;
    SP_DEVICE_INTERFACE_DATA interfaceData {};
    interfaceData.cbSize = sizeof interfaceData;
    if (::SetupDiEnumDeviceInterfaces(devices, nullptr, &kUsbPrintInterface, 0, &interfaceData)) {
        DWORD needed = 0;
        ::SetupDiGetDeviceInterfaceDetailA(devices, &interfaceData, nullptr, 0, &needed, nullptr);
        if (needed >= sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
            std::vector<uint8_t> storage(needed + sizeof(DWORD));
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
            if (::SetupDiGetDeviceInterfaceDetailA(devices, &interfaceData, detail, needed, nullptr, nullptr))
                path = detail->DevicePath;
        }
        if (path.empty())
            error = "the USB printer's device path cannot be read: " + SystemError(::GetLastError());
    } else {
        error = "no USB printer is connected";
    }
    return path;
}

std::unique_ptr<Link> OpenHandleLink(const PortSpec& spec, std::string& error)
{
    std::string path = spec.device;
    if (spec.kind == PortKind::Usb && path.empty()) {
        path = FirstUsbPrinter(error);
        if (path.empty())
            return nullptr;
    }
    OwnedHandle handle = OwnFile(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!handle) {
        error = spec.name + " (" + path + ") cannot be opened: " + SystemError(::GetLastError());
        return nullptr;
    }
    return std::make_unique<HandleLink>(std::move(handle), spec.name);
}
