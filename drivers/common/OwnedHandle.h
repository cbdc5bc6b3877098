// Owners of what the system hands out (handles, GDI objects, buffers it allocated), so each is
// released on every way out of a function, an exception included, from the moment it exists.
// Used by our libraries and the program alike.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Releases with Release; unique_ptr never calls it for a null value.
template <auto Release> struct ReleaseWith {
    template <typename T> void operator()(T owned) const noexcept { Release(owned); }
};

// A handle of type Handle (a pointer type), released with Release.
template <typename Handle, auto Release>
using Owned = std::unique_ptr<std::remove_pointer_t<Handle>, ReleaseWith<Release>>;

// A kernel object: a file, a port, a device, an event.
using OwnedHandle = Owned<HANDLE, &::CloseHandle>;

// CreateFile reports a failure with INVALID_HANDLE_VALUE, not with null.
inline OwnedHandle OwnFile(HANDLE file) noexcept
{
    return OwnedHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}
