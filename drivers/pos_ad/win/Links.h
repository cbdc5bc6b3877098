#pragma once

#include "Link.h"

#include <windows.h>

std::unique_ptr<Link> OpenSerialLink(const PortSpec& spec, std::string& error);
std::unique_ptr<Link> OpenHandleLink(const PortSpec& spec, std::string& error);
std::unique_ptr<Link> OpenTcpLink(const PortSpec& spec, std::string& error);
// The device path of the first USB printer-class interface, or empty with a reason.
std::string FirstUsbPrinter(std::string& error);
