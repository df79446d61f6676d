// Recognition events as files: NAME.txt (first line: the plate, GBK) with the optional pictures
// NAME.full.jpg and NAME.plate.jpg, in a camera's inbox\ or replay\ folder.
#pragma once

#include <string>
#include <vector>

#include "common/Bytes.h"

namespace tavo::sim {

struct SimEvent {
    std::wstring name; // NAME, without ".txt"
    Bytes plate;       // first line of NAME.txt without its line end
    Bytes fullPicture; // empty when NAME.full.jpg is missing or unreadable
    Bytes closeUpPicture;
};

// The NAMEs of the events in a folder (every "*.txt"), in ascending name order (ordinal order
// of the UTF-16 names). Empty when the folder does not exist.
std::vector<std::wstring> ListEventNames(const std::wstring& folder);

// Reads one event. Returns false, reading nothing, while NAME.txt is missing or still open for
// writing by someone else (it is opened without sharing write access); that is how a dropper's
// event waits until its .txt is complete.
bool ReadEvent(const std::wstring& folder, const std::wstring& name, SimEvent& event);

// Moves the event's files into `doneFolder` (made when missing), replacing files of the same
// names there: the pictures first, the .txt last. When the .txt cannot be moved it is deleted.
// Returns false when the .txt is still in the inbox afterwards.
bool MoveEventToDone(const std::wstring& folder, const std::wstring& name,
                     const std::wstring& doneFolder);

} // namespace tavo::sim
