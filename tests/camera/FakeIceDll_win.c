/* A small ice_ipcsdk.dll for the loader's tests: the seven functions with plain answers. Built
 * twice: whole, and with ICE_IPCSDK_BroadcastGroup left out (FAKE_ICE_WITHOUT_BROADCAST). */
#include "camera/ice_ipcsdk.h"

#define EXPORT __declspec(dllexport)

EXPORT int32_t ICE_CALL ICE_IPCSDK_Init(void) {
    return 1;
}
EXPORT int32_t ICE_CALL ICE_IPCSDK_Fini(void) {
    return 1;
}
EXPORT ICE_HANDLE ICE_CALL ICE_IPCSDK_OpenPreview(const char* address, int32_t fixedOne,
                                                  int32_t fixedAlsoOne, uintptr_t videoWindow,
                                                  ICE_IPCSDK_OnPlate onPlate, void* param) {
    (void)videoWindow;
    (void)onPlate;
    (void)param;
    return address != 0 && address[0] == '1' && fixedOne == 1 && fixedAlsoOne == 1 ? 42 : 0;
}
EXPORT int32_t ICE_CALL ICE_IPCSDK_Close(ICE_HANDLE handle) {
    return handle == 42;
}
EXPORT int32_t ICE_CALL ICE_IPCSDK_GetStatus(ICE_HANDLE handle) {
    return handle == 42;
}
EXPORT int32_t ICE_CALL ICE_IPCSDK_TransSerialPort(ICE_HANDLE handle, const char* bytes,
                                                   int32_t count) {
    (void)bytes;
    return handle == 42 && count > 0;
}
#ifndef FAKE_ICE_WITHOUT_BROADCAST
EXPORT int32_t ICE_CALL ICE_IPCSDK_BroadcastGroup(ICE_HANDLE handle, const char* phrases) {
    return handle == 42 && phrases != 0;
}
#endif
