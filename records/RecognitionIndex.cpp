// The daily recognition index.
#include "records/RecognitionIndex.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/GbkText.h"
#include "common/HostFile.h"
#include "common/HostPath.h"
#include "records/TimeText.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

Bytes Flag(const std::optional<bool>& flag) {
    if (!flag)
        return {};
    return *flag ? "1" : "0";
}

// "yyyy-mm-dd hh:nn:ss.zzz".
Bytes ReceivedText(const LocalTime& time) {
    Bytes stamp = LogLineStamp(time); // "YYYY-MM-DD HH:MM:SS "
    stamp.pop_back();
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", time.millisecond % 1000);
    return stamp + millis;
}

Bytes JoinFields(const std::vector<Bytes>& fields) {
    Bytes line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += CsvField(fields[i]);
    }
    return line + Bytes(kLineEnd);
}

// Appends the bytes to the file with one write, the header first when the file is new or empty.
bool AppendWithHeader(const std::filesystem::path& path, const Bytes& line) {
    HostFile file = OpenHostFile(path, "ab");
    if (!file)
        return false;
    const long size = std::fseek(file.Get(), 0, SEEK_END) == 0 ? std::ftell(file.Get()) : -1;
    if (size < 0)
        return false;
    return file.WriteAndClose(size == 0 ? IndexHeaderLine() + line : line);
}

} // namespace

Bytes CsvField(std::string_view text) {
    if (text.find_first_of("\",\r\n") == std::string_view::npos)
        return Bytes(text);
    Bytes quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

Bytes IndexHeaderLine() {
    return JoinFields({Utf8ToGbk("接收时间"), Utf8ToGbk("位置"), Utf8ToGbk("摄像头地址"),
                       Utf8ToGbk("车牌"), Utf8ToGbk("在线"), Utf8ToGbk("全景图片"),
                       Utf8ToGbk("车牌图片"), Utf8ToGbk("语音播报"), Utf8ToGbk("串口"),
                       Utf8ToGbk("命令48"), Utf8ToGbk("命令98"), Utf8ToGbk("状态")});
}

Bytes IndexLine(const IndexRow& row) {
    return JoinFields({ReceivedText(row.ReceivedAt), row.Side, row.Address, row.Plate,
                       Flag(row.Online), row.FullPicturePath, row.CloseUpPicturePath,
                       Flag(row.Broadcast), Flag(row.Serial), Flag(row.Command48),
                       Flag(row.Command98), row.State});
}

Bytes IndexFilePath(const LocalTime& day) {
    return "Log\\Index\\index_" + CompactDate(day) + ".csv";
}

bool AppendIndexRow(const IndexRow& row) {
    const Bytes relative = IndexFilePath(row.ReceivedAt);
    const std::filesystem::path file = ProgramPath(relative);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (AppendWithHeader(file, IndexLine(row)))
        return true;
    ErrorLog(Utf8ToGbk("识别索引写入失败：") + relative);
    return false;
}

} // namespace tavo
