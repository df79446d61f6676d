// The vendor library table: the failing default and the table in use.
#include "camera/IceLibrary.h"

namespace tavo {

namespace {

int32_t ICE_CALL FailInit() {
    return 0;
}
int32_t ICE_CALL FailFini() {
    return 0;
}
ICE_HANDLE ICE_CALL FailOpenPreview(const char*, int32_t, int32_t, uintptr_t, ICE_IPCSDK_OnPlate,
                                    void*) {
    return 0;
}
int32_t ICE_CALL FailClose(ICE_HANDLE) {
    return 0;
}
int32_t ICE_CALL FailGetStatus(ICE_HANDLE) {
    return 0;
}
int32_t ICE_CALL FailTransSerialPort(ICE_HANDLE, const char*, int32_t) {
    return 0;
}
int32_t ICE_CALL FailBroadcastGroup(ICE_HANDLE, const char*) {
    return 0;
}

constexpr IceLibrary kFailing = {FailInit,          FailFini,      FailOpenPreview,
                                 FailClose,         FailGetStatus, FailTransSerialPort,
                                 FailBroadcastGroup};

IceLibrary& Table() {
    static IceLibrary table = kFailing;
    return table;
}

} // namespace

const IceLibrary& FailingIceLibrary() {
    return kFailing;
}

void SetIceLibrary(const IceLibrary& library) {
    Table() = library;
}

const IceLibrary& Ice() {
    return Table();
}

} // namespace tavo
