// The station's [STATION] settings: defaults when absent, names in any letter case, values out of
// range logged once and taken as their defaults, and the section left as it was.
#include <gtest/gtest.h>

#include "RecordsFixture.h"
#include "common/GbkText.h"
#include "records/StationSettings.h"
#include "records/UMyUtils.h"
#include "records/tavoLogUnit.h"

namespace tavo {
namespace {

class StationSettingsTest : public RecordsTest {
protected:
    void SetUp() override {
        RecordsTest::SetUp();
        StartLogUnit();
    }
    static void WriteSettings(std::string_view text) {
        WriteHostFile(Host("bin\\FormLayout.ini"), text);
    }
    static Bytes ErrorLogText() {
        const auto path = Host("Log\\ErrorLog_20240305.txt");
        return std::filesystem::exists(path) ? ReadHostFile(path) : Bytes();
    }
};

TEST_F(StationSettingsTest, AbsentSectionGivesTodaysBehaviourAndLogsNothing) {
    WriteSettings("[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.100\r\n");
    const StationSettings settings = ReadStationSettings();
    EXPECT_EQ(settings.KeepDays, 0);
    EXPECT_EQ(settings.MinFreeMB, 0);
    EXPECT_EQ(settings.CameraCheckSeconds, 0);
    EXPECT_FALSE(settings.RecognitionIndex);
    EXPECT_EQ(settings.UploadUrl, "");
    EXPECT_EQ(settings.UploadToken, "");
    EXPECT_FALSE(settings.UploadPictures);
    EXPECT_EQ(settings.UploadKeep, 10000);
    EXPECT_EQ(ErrorLogText(), "");
}

TEST_F(StationSettingsTest, EveryKeyIsReadInAnyLetterCaseAndTrimmed) {
    const Bytes file = "[station]\r\n"
                       "keepdays = 30\r\n"
                       "MINFREEMB=2048\r\n"
                       "CameraCheckSeconds=\t15 \r\n"
                       "RecognitionIndex=1\r\n"
                       "UploadUrl= http://10.0.0.5:8080/plates \r\n"
                       "uploadtoken=s3cret\r\n"
                       "UploadPictures=1\r\n"
                       "UploadKeep=007\r\n";
    WriteSettings(file);
    const StationSettings settings = ReadStationSettings();
    EXPECT_EQ(settings.KeepDays, 30);
    EXPECT_EQ(settings.MinFreeMB, 2048);
    EXPECT_EQ(settings.CameraCheckSeconds, 15);
    EXPECT_TRUE(settings.RecognitionIndex);
    EXPECT_EQ(settings.UploadUrl, "http://10.0.0.5:8080/plates");
    EXPECT_EQ(settings.UploadToken, "s3cret");
    EXPECT_TRUE(settings.UploadPictures);
    EXPECT_EQ(settings.UploadKeep, 7);
    EXPECT_EQ(ReadHostFile(Host("bin\\FormLayout.ini")), file) << "reading never writes";
    EXPECT_EQ(ErrorLogText(), "");
}

TEST_F(StationSettingsTest, InvalidValuesAreLoggedOnceEachAndTakenAsDefaults) {
    WriteSettings("[STATION]\r\n"
                  "KeepDays=-1\r\n"
                  "MinFreeMB=1.5\r\n"
                  "CameraCheckSeconds=86401\r\n"
                  "RecognitionIndex=yes\r\n"
                  "UploadPictures=2\r\n"
                  "UploadKeep=0\r\n");
    const StationSettings settings = ReadStationSettings();
    EXPECT_EQ(settings.KeepDays, 0);
    EXPECT_EQ(settings.MinFreeMB, 0);
    EXPECT_EQ(settings.CameraCheckSeconds, 0);
    EXPECT_FALSE(settings.RecognitionIndex);
    EXPECT_FALSE(settings.UploadPictures);
    EXPECT_EQ(settings.UploadKeep, 10000);
    const Bytes log = ErrorLogText();
    for (const char* key : {"KeepDays", "MinFreeMB", "CameraCheckSeconds", "RecognitionIndex",
                            "UploadPictures", "UploadKeep"}) {
        const Bytes needle = Bytes(" ") + key + Utf8ToGbk(" 的值无效：");
        const auto first = log.find(needle);
        EXPECT_NE(first, Bytes::npos) << key;
        EXPECT_EQ(log.find(needle, first + 1), Bytes::npos) << key << " logged twice";
    }
}

TEST_F(StationSettingsTest, WholeNumbersAreDigitsOnlyWithinTheirRange) {
    struct Case {
        const char* text;
        bool accepted;
        std::int32_t value;
    } cases[] = {
        {"0", true, 0},
        {"10", true, 10},
        {"0010", true, 10},
        {"100", true, 100},
        {"101", false, 0},
        {"", false, 0},
        {"+5", false, 0},
        {"-0", false, 0},
        {"5 5", false, 0},
        {"0x10", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        std::int32_t value = -7;
        EXPECT_EQ(ParseWholeNumber(c.text, 0, 100, value), c.accepted) << c.text;
        EXPECT_EQ(value, c.accepted ? c.value : -7) << c.text;
    }
    std::int32_t value = 0;
    EXPECT_FALSE(ParseWholeNumber("0", 1, 100, value)) << "below the range";
}

} // namespace
} // namespace tavo
