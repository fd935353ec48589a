/* Export and calling-convention macros shared by the public headers. */
#ifndef ZEL_EXPORT_H
#define ZEL_EXPORT_H

/* 32-bit Windows callers (Visual Basic, Delphi, scripting hosts) declare DLL
 * imports as __stdcall unless told otherwise; ZEL_CDECL builds the cdecl
 * variant. The exported names stay undecorated either way. */
#if defined(_WIN32) && !defined(_WIN64) && !defined(ZEL_CDECL)
#define ZEL_CALL __stdcall
#else
#define ZEL_CALL
#endif

/* Exports are listed in a .def file on Windows; elsewhere the library is
 * built with hidden visibility and only ZEL_API names are exported. */
#if defined(ZEL_BUILDING_LIBRARY) && !defined(_WIN32)
#define ZEL_API __attribute__((visibility("default")))
#else
#define ZEL_API
#endif

/* No exception crosses the C boundary. */
#ifdef __cplusplus
#define ZEL_NOEXCEPT noexcept
#else
#define ZEL_NOEXCEPT
#endif

#endif
