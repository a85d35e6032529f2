// The seven functions the script host exports, declared once with their real
// signatures. On Windows they are imported from ScriptHookV.dll under the
// host's MSVC-decorated names; elsewhere the substitute host defines them.
#pragma once

#include <cstdint>

struct HINSTANCE__;
using HostModule = HINSTANCE__*;
using ScriptEntry = void (*)();

#if defined(_WIN32)
using HostMilliseconds = unsigned long;  // DWORD: 32 bits on Windows
#else
using HostMilliseconds = std::uint32_t;
#endif
static_assert(sizeof(HostMilliseconds) == 4);

// Neither GCC nor clang for mingw-w64 produces MSVC decorations, so each
// import names its symbol. clang takes the label as the symbol's name and
// quotes it where its assembly needs that; GCC writes the label into its
// assembly as it stands, where the '?' must be quoted by hand.
#if defined(_WIN32) && defined(__clang__)
#define HALVANE_HOST_SYMBOL(decorated) __asm__(decorated)
#elif defined(_WIN32) && defined(__GNUC__)
#define HALVANE_HOST_SYMBOL(decorated) __asm__("\"" decorated "\"")
#else
#define HALVANE_HOST_SYMBOL(decorated)
#endif

void scriptRegister(HostModule module, ScriptEntry entry)
    HALVANE_HOST_SYMBOL("?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z");
void scriptUnregister(HostModule module) HALVANE_HOST_SYMBOL("?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z");
void scriptWait(HostMilliseconds duration) HALVANE_HOST_SYMBOL("?scriptWait@@YAXK@Z");
void nativeInit(std::uint64_t hash) HALVANE_HOST_SYMBOL("?nativeInit@@YAX_K@Z");
void nativePush64(std::uint64_t value) HALVANE_HOST_SYMBOL("?nativePush64@@YAX_K@Z");
std::uint64_t* nativeCall() HALVANE_HOST_SYMBOL("?nativeCall@@YAPEA_KXZ");
std::uint8_t* getScriptHandleBaseAddress(int handle)
    HALVANE_HOST_SYMBOL("?getScriptHandleBaseAddress@@YAPEAEH@Z");
