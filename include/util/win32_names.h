#pragma once

// Members named like a Win32 function.
//
// <windows.h> turns names such as SendMessage, DrawText or GetObject into macros that become
// SendMessageW or SendMessageA, following UNICODE; <windowsx.h> adds function-like macros such as
// CopyRgn and SubclassWindow. util.dll exports such members under their literal name, whatever the
// client defines, and its headers compile with <windowsx.h> included before or after them:
//
//   1. The header sets the platform's macro aside around the declarations, then restores it:
//          #pragma push_macro("SendMessage")
//          #undef SendMessage
//          ... class declarations ...
//          #pragma pop_macro("SendMessage")
//      (Inline code in that span calls the platform by its explicit name: ::SendMessageW.)
//   2. The class declares the member under the literal name, and UTIL_WIN32_ALIASES(SendMessage)
//      beside it: SendMessageA and SendMessageW, which forward to it, so that a client's call
//      wnd.SendMessage(...) reaches the member whichever way its macro expands.
//   3. The library's source that defines the member undefines the macro after its includes.
//
// What a client should know:
//   - Arguments pass through the aliases as they are: give a null pointer as nullptr, not NULL or 0.
//   - A virtual member of such a name (CWnd::DefWindowProc) is overridden under its literal name, with
//     the macro set aside as in 1; its aliases are final, so an override written with the macro in
//     effect fails to compile instead of being ignored.
//   - A function-like macro of <windowsx.h> still expands where the client calls the member; write
//     (rgn.CopyRgn)(&other) there, or include <windowsx.h> after the calls.

#include <utility>

#define UTIL_WIN32_ALIAS_(alias, member)                                                                      \
    template <typename... Args>                                                                               \
    decltype(auto) alias(Args&&... args)                                                                      \
    {                                                                                                         \
        return member(std::forward<Args>(args)...);                                                           \
    }                                                                                                         \
    template <typename... Args>                                                                               \
    decltype(auto) alias(Args&&... args) const                                                                \
    {                                                                                                         \
        return member(std::forward<Args>(args)...);                                                           \
    }

// The narrow and wide names of a member, both forwarding to it. Use it where the member's macro is
// set aside.
#define UTIL_WIN32_ALIASES(member) UTIL_WIN32_ALIAS_(member##A, member) UTIL_WIN32_ALIAS_(member##W, member)
