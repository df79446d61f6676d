/* The camera vendor's library ice_ipcsdk as the station uses it: seven functions and the
 * recognition callback. Written for this station; it declares only what the station relies on.
 *
 * Functions use the C calling convention (the caller removes the arguments). Values are 32-bit
 * on the deployed 32-bit build; a handle is 0 for none; texts are NUL-terminated GBK bytes.
 * The callback uses the standard Windows convention (the callee removes the arguments) and gets
 * 21 pointer-sized arguments. The library calls it on a thread of its own.
 *
 * This header is plain C so that the stand-in library can be built from it as well. The phrase
 * numbers that ICE_IPCSDK_BroadcastGroup takes, and their table, are in protocol/ICESDK.h. */
#ifndef TAVO_ICE_IPCSDK_H
#define TAVO_ICE_IPCSDK_H

#include <stdint.h>

#if defined(_WIN32)
#define ICE_CALL __cdecl
#define ICE_CALLBACK __stdcall
#else
#define ICE_CALL
#define ICE_CALLBACK
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 0 = no camera. */
typedef uintptr_t ICE_HANDLE;

/* One recognised plate. The station reads param, the address, the plate text, and the two
 * pictures with their byte counts; the other arguments are the library's own. */
typedef void(ICE_CALLBACK* ICE_IPCSDK_OnPlate)(
    void* param, const char* address, const char* plate, const char* plateColor,
    const char* fullPicture, int32_t fullPictureLen, const char* closeUpPicture, int32_t closeUpLen,
    uintptr_t reserved9, uintptr_t reserved10, uintptr_t reserved11, uintptr_t reserved12,
    uintptr_t reserved13, uintptr_t reserved14, uintptr_t reserved15, uintptr_t reserved16,
    uintptr_t reserved17, uintptr_t reserved18, uintptr_t reserved19, uintptr_t reserved20,
    uintptr_t reserved21);

/* Once before the first camera is opened; the result is not relied on. */
typedef int32_t(ICE_CALL* ICE_IPCSDK_Init_t)(void);
/* Once after the last camera is closed; the result is not relied on. */
typedef int32_t(ICE_CALL* ICE_IPCSDK_Fini_t)(void);
/* Opens the camera at `address`, draws its live video into `videoWindow` and calls `onPlate`
 * with `param` for each recognised plate until ICE_IPCSDK_Close. The two middle arguments are
 * always 1. Returns the handle, 0 on failure. */
typedef ICE_HANDLE(ICE_CALL* ICE_IPCSDK_OpenPreview_t)(const char* address, int32_t fixedOne,
                                                       int32_t fixedAlsoOne, uintptr_t videoWindow,
                                                       ICE_IPCSDK_OnPlate onPlate, void* param);
/* Closes a handle. Once it returns, no callback for that handle runs or starts. */
typedef int32_t(ICE_CALL* ICE_IPCSDK_Close_t)(ICE_HANDLE handle);
/* Nonzero = the camera is online. */
typedef int32_t(ICE_CALL* ICE_IPCSDK_GetStatus_t)(ICE_HANDLE handle);
/* Sends `count` bytes to the camera's serial port. 1 = success. */
typedef int32_t(ICE_CALL* ICE_IPCSDK_TransSerialPort_t)(ICE_HANDLE handle, const char* bytes,
                                                        int32_t count);
/* Has the camera speak a phrase number list ("121,76,92"). 1 = success. */
typedef int32_t(ICE_CALL* ICE_IPCSDK_BroadcastGroup_t)(ICE_HANDLE handle, const char* phrases);

#ifdef __cplusplus
}
#endif

#endif /* TAVO_ICE_IPCSDK_H */
