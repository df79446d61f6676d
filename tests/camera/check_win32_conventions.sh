#!/bin/bash
# Checks the calling conventions of the 32-bit Windows build, where the vendor's library calls the
# recognition callback with the standard Windows convention and its seven functions use C's:
#   - the callback's symbol is decorated as stdcall with 84 bytes of arguments (21 x 4);
#   - the loader looks the seven functions up under their plain, undecorated names;
#   - functions declared with the header's ICE_CALL come out as C functions (_Name, no @n),
#     which is how a C-convention DLL exports them.
#
#   check_win32_conventions.sh NM CALLBACK_OBJ LOADER_OBJ EXPORT_OBJ
#   check_win32_conventions.sh NM --compile CXX CC SOURCE_DIR
# The second form first builds the three objects with the 32-bit compiler.
set -euo pipefail

nm=$1
shift
if [ "$1" = --compile ]; then
    cxx=$2 cc=$3 src=$4
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    flags=(-I"$src" -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -O2)
    "$cxx" -std=c++20 "${flags[@]}" -c "$src/camera/PlateCallback.cpp" -o "$work/callback.o"
    "$cxx" -std=c++20 "${flags[@]}" -c "$src/camera/IceLibrary_win.cpp" -o "$work/loader.o"
    "$cc" "${flags[@]}" -c "$src/tests/camera/FakeIceDll_win.c" -o "$work/export.o"
    set -- "$work/callback.o" "$work/loader.o" "$work/export.o"
fi
callback=$1 loader=$2 exports=$3
names=(ICE_IPCSDK_Init ICE_IPCSDK_Fini ICE_IPCSDK_OpenPreview ICE_IPCSDK_Close
       ICE_IPCSDK_GetStatus ICE_IPCSDK_TransSerialPort ICE_IPCSDK_BroadcastGroup)
failed=0

symbol=$("$nm" "$callback" | awk '$2 == "T" && $3 ~ /OnPlateResult/ {print $3}')
if [[ "$symbol" =~ @84$ ]]; then
    echo "callback: $symbol (stdcall, 84 bytes)"
else
    echo "callback is not stdcall with 84 bytes of arguments: '${symbol}'" >&2
    failed=1
fi

texts=$(strings -a "$loader")
for name in "${names[@]}"; do
    if ! grep -qx "$name" <<<"$texts"; then
        echo "the loader does not look up the plain name $name" >&2
        failed=1
    fi
    if ! "$nm" "$exports" | awk '$2 == "T" {print $3}' | grep -qx "_$name"; then
        echo "$name is not a C-convention function: $("$nm" "$exports" | grep "$name" || true)" >&2
        failed=1
    fi
done
[ $failed = 0 ] && echo "the seven functions: plain names, C convention"
exit $failed
