// The settings store: reads and writes of one value, names in any letter case, lines kept as
// they were, the section-deletion marker, and a settings file that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "RecordsFixture.h"
#include "records/UMyUtils.h"

namespace tavo {
namespace {

class SettingsTest : public RecordsTest {
protected:
    static std::filesystem::path File() { return Host("bin\\FormLayout.ini"); }

    static bool Read(std::string_view key, Bytes& value) {
        return IniValue("FrmMain_tavoCamera", key, value, 0);
    }
    static bool Write(std::string_view key, Bytes value) {
        const Bytes passed = value;
        const bool result = IniValue("FrmMain_tavoCamera", key, value, 1);
        EXPECT_EQ(value, passed) << "a write changed the caller's value";
        return result;
    }
};

TEST_F(SettingsTest, ReadWithoutAFileMakesTheFolderButNoFile) {
    Bytes value = "keep";
    EXPECT_FALSE(Read("leftIP", value));
    EXPECT_EQ(value, "keep");
    EXPECT_TRUE(std::filesystem::is_directory(Host("bin")));
    EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(SettingsTest, WritesCreateUpperCasedSectionAndKeysAndReplaceOldValues) {
    EXPECT_TRUE(Write("leftIP", "192.168.1.100"));
    EXPECT_EQ(ReadHostFile(File()), "[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.100\r\n");
    EXPECT_TRUE(Write("rightIP", "192.168.1.101"));
    EXPECT_TRUE(Write("LEFTIP", "10.0.0.1"));
    EXPECT_EQ(ReadHostFile(File()),
              "[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=10.0.0.1\r\nRIGHTIP=192.168.1.101\r\n");

    Bytes value;
    EXPECT_TRUE(IniValue("frmmain_TAVOCAMERA", "LeftIp", value, 0));
    EXPECT_EQ(value, "10.0.0.1");
}

TEST_F(SettingsTest, ValuesAreReadTrimmedAndUnquotedAndWrittenAsPassed) {
    WriteHostFile(File(), "[FRMMAIN_TAVOCAMERA]\r\n"
                          "A=  10.0.0.7  \r\n"
                          "B=\r\n"
                          "C = \"192.168.1.9\" \r\n"
                          "D=\t'x'\x01\r\n"
                          "E=\"unbalanced\r\n");
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {
        {"A", "10.0.0.7"}, {"B", ""}, {"C", "192.168.1.9"}, {"D", "x"}, {"E", "\"unbalanced"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Bytes value = "before";
        EXPECT_TRUE(Read(c.key, value));
        EXPECT_EQ(value, c.value);
    }

    EXPECT_TRUE(Write("A", "  10.0.0.8  "));
    EXPECT_NE(ReadHostFile(File()).find("\r\nA=  10.0.0.8  \r\n"), Bytes::npos);
    // A value that reading would unquote is stored so that it reads back with its quotes.
    EXPECT_TRUE(Write("C", "\"q\""));
    Bytes value;
    EXPECT_TRUE(Read("C", value));
    EXPECT_EQ(value, "\"q\"");
}

TEST_F(SettingsTest, LineBreaksInAValueCannotAddLinesToTheFile) {
    EXPECT_TRUE(Write("leftIP", "1.2.3.4\r\n[OTHER]\r\n!@#DelFlag=!@#339"));
    EXPECT_EQ(ReadHostFile(File()),
              "[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=1.2.3.4  [OTHER]  !@#DelFlag=!@#339\r\n");
    Bytes value;
    EXPECT_TRUE(Read("leftIP", value));
    EXPECT_EQ(value, "1.2.3.4  [OTHER]  !@#DelFlag=!@#339");
}

TEST_F(SettingsTest, EntriesWrittenInAnyLetterCaseAreFoundAndKeepTheirSpelling) {
    WriteHostFile(File(), "[FrmMain_TavoCamera]\nleftIp = 1.2.3.4\n");
    Bytes value;
    EXPECT_TRUE(Read("LEFTIP", value));
    EXPECT_EQ(value, "1.2.3.4");
    EXPECT_TRUE(Write("leftIP", "5.6.7.8"));
    EXPECT_EQ(ReadHostFile(File()), "[FrmMain_TavoCamera]\nleftIp =5.6.7.8\n");
}

TEST_F(SettingsTest, DoubleByteNamesAreNeitherSplitNorUpperCasedInside) {
    // 0x815D ends in the byte of ']', 0x8161 in the byte of 'a'; 0x8141 is another character.
    const Bytes section = "\x81\x5D\x81\x61";
    Bytes value = "v";
    EXPECT_TRUE(IniValue(section, "k\x81\x61", value, 1));
    EXPECT_EQ(ReadHostFile(File()), "[\x81\x5D\x81\x61]\r\nK\x81\x61=v\r\n");
    value.clear();
    EXPECT_TRUE(IniValue(section, "K\x81\x61", value, 0));
    EXPECT_EQ(value, "v");
    EXPECT_FALSE(IniValue("\x81\x5D\x81\x41", "K\x81\x61", value, 0));
    EXPECT_FALSE(IniValue(section, "K\x81\x41", value, 0));
}

TEST_F(SettingsTest, LinesThatAreNotChangedStayAsTheyWere) {
    const Bytes before = "; made by hand\n"
                         "[OTHER]\n"
                         "LEFTIP=9.9.9.9\n"
                         "\n"
                         "[FRMMAIN_TAVOCAMERA]\n"
                         "LEFTIP=1.1.1.1\n"
                         "\n"
                         "[LAST]\n"
                         "X=1";
    WriteHostFile(File(), before);
    Bytes value;
    EXPECT_TRUE(Read("leftIP", value));
    EXPECT_EQ(value, "1.1.1.1");

    EXPECT_TRUE(Write("rightIP", "2.2.2.2"));
    EXPECT_TRUE(IniValue("new", "k", value, 1));
    EXPECT_EQ(ReadHostFile(File()), "; made by hand\n"
                                    "[OTHER]\n"
                                    "LEFTIP=9.9.9.9\n"
                                    "\n"
                                    "[FRMMAIN_TAVOCAMERA]\n"
                                    "LEFTIP=1.1.1.1\n"
                                    "RIGHTIP=2.2.2.2\r\n"
                                    "\n"
                                    "[LAST]\n"
                                    "X=1\r\n"
                                    "[NEW]\r\n"
                                    "K=1.1.1.1\r\n");
}

TEST_F(SettingsTest, DeletionMarkerErasesTheSectionOnTheNextRead) {
    struct Case {
        const char* marker;
        bool erases;
    } cases[] = {
        {"!@#DelFlag=!@#339", true}, {"!@#DelFlag=  !@#339  ", true}, {"!@#DELFLAG=!@#339", true},
        {"!@#DelFlag=0", false},     {"!@#DelFlag=!@#3390", false},   {"!@#DelFlag=", false},
    };
    const Bytes others = "[KEEP]\r\nA=1\r\n";
    const Bytes after = "[AFTER]\r\nB=2\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marker);
        const Bytes before =
            others + "[FRMMAIN_TAVOCAMERA]\r\n" + c.marker + "\r\nLEFTIP=1.2.3.4\r\n" + after;
        WriteHostFile(File(), before);
        Bytes value = "keep";
        if (c.erases) {
            EXPECT_FALSE(Read("leftIP", value));
            EXPECT_EQ(value, "keep");
            EXPECT_EQ(ReadHostFile(File()), others + after);
            EXPECT_FALSE(Read("leftIP", value));
            EXPECT_EQ(ReadHostFile(File()), others + after);
        } else {
            EXPECT_TRUE(Read("leftIP", value));
            EXPECT_EQ(value, "1.2.3.4");
            EXPECT_EQ(ReadHostFile(File()), before);
        }
    }
}

TEST_F(SettingsTest, WriteIntoAMarkedSectionIsErasedByTheNextRead) {
    WriteHostFile(File(), "[FRMMAIN_TAVOCAMERA]\r\n!@#DelFlag=!@#339\r\n");
    EXPECT_TRUE(Write("rightIP", "5.5.5.5"));
    EXPECT_EQ(ReadHostFile(File()),
              "[FRMMAIN_TAVOCAMERA]\r\n!@#DelFlag=!@#339\r\nRIGHTIP=5.5.5.5\r\n");
    Bytes value = "keep";
    EXPECT_FALSE(Read("rightIP", value));
    EXPECT_EQ(value, "keep");
    EXPECT_EQ(ReadHostFile(File()), "");
}

TEST_F(SettingsTest, FileThatCannotBeWrittenRaisesAndKeepsItsContents) {
    // A file stands where the folder must go.
    WriteHostFile(Host("bin"), "file");
    Bytes value = "keep";
    EXPECT_FALSE(Read("leftIP", value));
    EXPECT_EQ(value, "keep");
    EXPECT_THROW(Write("leftIP", "1.2.3.4"), SettingsWriteError);
    EXPECT_EQ(ReadHostFile(Host("bin")), "file");
}

TEST_F(SettingsTest, SettingsFileThatCannotBeReplacedRaisesAndKeepsItsContents) {
    const Bytes marked = "[FRMMAIN_TAVOCAMERA]\r\n!@#DelFlag=!@#339\r\nLEFTIP=1.2.3.4\r\n";
    WriteHostFile(File(), marked);
    // A folder stands at the name of the new file that replaces the settings file.
    std::filesystem::create_directories(Host("bin\\FormLayout.ini.new\\x"));
    EXPECT_THROW(Write("rightIP", "5.5.5.5"), SettingsWriteError);
    Bytes value = "keep";
    EXPECT_THROW(Read("leftIP", value), SettingsWriteError);
    EXPECT_EQ(value, "keep");
    EXPECT_EQ(ReadHostFile(File()), marked);
}

TEST_F(SettingsTest, SettingsFileThatIsAFolderReadsAsMissingAndRaisesOnWrite) {
    std::filesystem::create_directories(File());
    Bytes value = "keep";
    EXPECT_FALSE(Read("leftIP", value));
    EXPECT_EQ(value, "keep");
    EXPECT_THROW(Write("leftIP", "1.2.3.4"), SettingsWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(File()));
}

} // namespace
} // namespace tavo
