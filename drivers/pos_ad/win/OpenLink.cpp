#include "Links.h"

#include "drivers/common/OwnedHandle.h"

std::unique_ptr<Link> OpenLink(const PortSpec& spec, std::string& error)
{
    switch (spec.kind) {
    case PortKind::Serial: return OpenSerialLink(spec, error);
    case PortKind::Parallel:
    case PortKind::Usb: return OpenHandleLink(spec, error);
    case PortKind::Network: return OpenTcpLink(spec, error);
    case PortKind::Invalid: break;
    }
    error = spec.error;
    return nullptr;
}

std::string SystemError(unsigned long code)
{
    char* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = ::FormatMessageA(
        flags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    if (!length) // a system without English messages
        length = ::FormatMessageA(flags, nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    const Owned<char*, &::LocalFree> owned(text);
    std::string message = length && text ? std::string(text, length) : std::string();
    while (!message.empty() &&
        (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return (message.empty() ? "error" : message) + " (" + std::to_string(code) + ")";
}
