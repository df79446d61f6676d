// The journal of a simulated camera: sim\<address>\journal.txt, one line per call that the
// station makes for the camera and one per recognition delivered, so a test or a person can see
// what the station did and in which order.
//
// Line format (bytes; texts are GBK as the station passed them; lines end in "\r\n"):
//
//   YYYY-MM-DD HH:MM:SS.mmm <entry>
//
// where the time stamp is the local time when the line is written, and <entry> is one of
//
//   open window=0x<HEX> -> <handle>    ICE_IPCSDK_OpenPreview; the window handle in upper-case
//                                      hex ("0x0" for none), the handle returned in decimal
//   status -> <0|1>                    ICE_IPCSDK_GetStatus and its answer
//   broadcast [<list>] -> <0|1>        ICE_IPCSDK_BroadcastGroup; <list> is the phrase number list
//                                      exactly as passed, between the first '[' and the last ']'
//   broadcast (invalid) -> 0           ... refused: the list pointer was null
//   serial <HH HH ...> -> <0|1>        ICE_IPCSDK_TransSerialPort; every byte as two upper-case
//                                      hex digits, separated by single blanks ("serial -> 1" for
//                                      no bytes)
//   serial (invalid) -> 0              ... refused: null bytes with a count above 0, or a count
//                                      below 0
//   close                              ICE_IPCSDK_Close (also when ICE_IPCSDK_Fini closes it)
//   fini                               ICE_IPCSDK_Fini, in the journal of every camera opened
//                                      since the library was loaded or last finalised; written
//                                      after the cameras still open were closed
//   recognition <source> <NAME> [<plate>] full=<n> closeup=<n>
//                                      an event about to be passed to the callback: <source> is
//                                      "inbox" or "replay", NAME the event's file name without
//                                      ".txt", <plate> the plate text as passed (may be empty),
//                                      n the picture byte counts. Written before the callback
//                                      runs, so the calls that the callback makes follow it.
//
// Results are what the function returned: 0 is a failure (a switch file or a refused argument).
// Each line is written by opening, appending and closing the file under one lock of the
// library, so lines from the window thread and the library's threads never interleave.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Bytes.h"

namespace tavo::sim {

// Appends "<time stamp> <entry>\r\n" to journal.txt in the camera folder. False when the line
// could not be written (the folder is gone, the disk is full); the simulator goes on regardless.
bool AppendJournal(const std::wstring& cameraFolder, std::string_view entry);

// The entries, without the time stamp.
Bytes OpenEntry(std::uintptr_t window, std::uintptr_t handle);
Bytes StatusEntry(bool online);
Bytes BroadcastEntry(const char* phrases, bool result);
Bytes SerialEntry(const char* bytes, std::int32_t count, bool result);
Bytes CloseEntry();
Bytes FiniEntry();
Bytes RecognitionEntry(std::string_view source, std::string_view gbkName, std::string_view plate,
                       std::size_t fullCount, std::size_t closeUpCount);

} // namespace tavo::sim
