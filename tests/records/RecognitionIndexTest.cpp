// The daily recognition index: the quoting of fields, the line of a row, and the file of each day
// with its header.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "common/HostPath.h"
#include "records/RecognitionIndex.h"
#include "records/tavoLogUnit.h"

namespace tavo {
namespace {

class RecognitionIndexTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        StartLogUnit();
    }

    static IndexRow Row(const LocalTime& receivedAt, std::string_view plate) {
        IndexRow row;
        row.ReceivedAt = receivedAt;
        row.Side = Utf8ToGbk("左");
        row.Address = "192.168.1.100";
        row.Plate = Bytes(plate);
        row.Online = true;
        row.State = "handled";
        return row;
    }
};

TEST(CsvFieldTest, OnlyFieldsHoldingAQuoteCommaOrLineEndAreQuoted) {
    struct Case {
        Bytes Text;
        Bytes Field;
    };
    const Case cases[] = {
        {"", ""},
        {"A12345", "A12345"},
        {" A1 ", " A1 "}, // blanks stay as they are
        {Utf8ToGbk("闽AR2346"), Utf8ToGbk("闽AR2346")},
        {"\xD5\x5C", "\xD5\x5C"}, // a double-byte character with a 0x5C trail byte
        {"A,1", "\"A,1\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"a\r\nb", "\"a\r\nb\""},
        {"a\nb", "\"a\nb\""},
        {"a\rb", "\"a\rb\""},
        {Bytes("a\0b", 3), Bytes("a\0b", 3)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvField(c.Text), c.Field) << c.Text;
}

TEST_F(RecognitionIndexTest, LineHoldsTheColumnsInOrderWithEmptyFieldsForWhatWasNotDone) {
    IndexRow row = Row(LocalTime{2024, 3, 5, 9, 7, 3, 45}, Utf8ToGbk("闽AR2346"));
    row.FullPicturePath = "Log\\192.168.1.100\\2024\\03\\05\\a,b.jpg";
    row.Broadcast = true;
    row.Serial = false;
    row.Command48 = true;
    EXPECT_EQ(IndexLine(row), "2024-03-05 09:07:03.045," + Utf8ToGbk("左") + ",192.168.1.100," +
                                  Utf8ToGbk("闽AR2346") +
                                  ",1,\"Log\\192.168.1.100\\2024\\03\\05\\a,b.jpg\",,1,0,1,,handled"
                                  "\r\n");
    row.Online.reset();
    row.FullPicturePath.clear();
    row.Broadcast.reset();
    row.Serial.reset();
    row.Command48.reset();
    row.State = "dropped";
    EXPECT_EQ(IndexLine(row), "2024-03-05 09:07:03.045," + Utf8ToGbk("左") + ",192.168.1.100," +
                                  Utf8ToGbk("闽AR2346") + ",,,,,,,,dropped\r\n");
}

TEST_F(RecognitionIndexTest, HeaderNamesTwelveColumns) {
    const Bytes header = IndexHeaderLine();
    ASSERT_EQ(header.substr(header.size() - 2), "\r\n");
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 11);
    EXPECT_EQ(header.substr(0, 8), Utf8ToGbk("接收时间"));
    EXPECT_EQ(header.substr(header.size() - 6), Utf8ToGbk("状态") + "\r\n");
}

TEST_F(RecognitionIndexTest, EachDayHasItsFileWithOneHeaderAndLinesAppended) {
    const IndexRow first = Row(LocalTime{2024, 3, 5, 23, 59, 59, 999}, "A1");
    const IndexRow second = Row(LocalTime{2024, 3, 5, 23, 59, 59, 999}, "A2");
    const IndexRow nextDay = Row(LocalTime{2024, 3, 6, 0, 0, 0, 1}, "A3");
    // The clock already says the next day: a line goes to the day it was received.
    SetClockReadings({LocalTime{2024, 3, 6, 0, 0, 1, 0}});
    EXPECT_TRUE(AppendIndexRow(first));
    EXPECT_TRUE(AppendIndexRow(second));
    EXPECT_TRUE(AppendIndexRow(nextDay));
    EXPECT_EQ(ReadHostFile(Host("Log\\Index\\index_20240305.csv")),
              IndexHeaderLine() + IndexLine(first) + IndexLine(second));
    EXPECT_EQ(ReadHostFile(Host("Log\\Index\\index_20240306.csv")),
              IndexHeaderLine() + IndexLine(nextDay));
    EXPECT_EQ(IndexFilePath(nextDay.ReceivedAt), "Log\\Index\\index_20240306.csv");
}

TEST_F(RecognitionIndexTest, EmptyFileGetsTheHeaderAndAnOperatorsLinesAreKept) {
    std::filesystem::create_directories(Host("Log\\Index"));
    WriteHostFile(Host("Log\\Index\\index_20240305.csv"), "");
    const IndexRow row = Row(MarchFifth(), "A1");
    EXPECT_TRUE(AppendIndexRow(row));
    EXPECT_EQ(ReadHostFile(Host("Log\\Index\\index_20240305.csv")),
              IndexHeaderLine() + IndexLine(row));

    WriteHostFile(Host("Log\\Index\\index_20240305.csv"), "kept\r\n");
    EXPECT_TRUE(AppendIndexRow(row));
    EXPECT_EQ(ReadHostFile(Host("Log\\Index\\index_20240305.csv")), "kept\r\n" + IndexLine(row));
}

TEST_F(RecognitionIndexTest, FailedWriteIsOneErrorLineAndReportedFalse) {
    // A file where the index folder belongs.
    WriteHostFile(Host("Log\\Index"), "not a folder");
    EXPECT_FALSE(AppendIndexRow(Row(MarchFifth(), "A1")));
    EXPECT_EQ(ReadHostFile(Host("Log\\ErrorLog_20240305.txt")),
              "2024-03-05 14:07:09 " + Utf8ToGbk("识别索引写入失败：") +
                  "Log\\Index\\index_20240305.csv\r\n");
}

} // namespace
} // namespace tavo
