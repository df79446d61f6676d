// The daily recognition index: Log\Index\index_YYYYMMDD.csv below the program folder, one line
// for every result the station received, so that "when did this plate come in, and did the
// display get it" is answered by opening one file. GBK text, CR LF line ends, a header line, and
// fields quoted the CSV way: a field holding a quote, a comma, CR or LF is put in quotes, with
// each quote doubled. Each line is appended whole with one write and the file is closed again, so
// a crash loses at most the line being written.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "common/Bytes.h"
#include "common/Clock.h"

namespace tavo {

// One line of the index, in column order.
struct IndexRow {
    LocalTime ReceivedAt;          // "yyyy-mm-dd hh:nn:ss.zzz"; also names the day's file
    Bytes Side;                    // 左 or 右
    Bytes Address;                 // the camera's address
    Bytes Plate;                   // as the camera gave it
    std::optional<bool> Online;    // the camera's state when handled; empty when never handled
    Bytes FullPicturePath;         // relative to the program folder; empty when not archived
    Bytes CloseUpPicturePath;      // likewise
    std::optional<bool> Broadcast; // each send: 1/0, empty when it was not made
    std::optional<bool> Serial;
    std::optional<bool> Command48;
    std::optional<bool> Command98;
    Bytes State; // handled, offline or dropped
};

// The header line, CR LF included.
Bytes IndexHeaderLine();

// The row as one line, CR LF included.
Bytes IndexLine(const IndexRow& row);

// One field as it stands in a line: quoted when it holds a quote, a comma, CR or LF.
Bytes CsvField(std::string_view text);

// The index file of a day, relative to the program folder.
Bytes IndexFilePath(const LocalTime& day);

// Appends the row to the file of the day it was received (made, with its folder and header line,
// when missing or empty). True when the line was written; a failure is one error-log line.
bool AppendIndexRow(const IndexRow& row);

} // namespace tavo
