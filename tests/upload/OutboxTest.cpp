// The outbox: durable files, oldest first, the cap on waiting events, and rejected\.
#include <gtest/gtest.h>

#include "tests/upload/UploadFixture.h"
#include "upload/Outbox.h"

namespace tavo {
namespace {

using Names = std::vector<std::string>;

class OutboxTest : public UploadTest {};

TEST_F(OutboxTest, KeepsEachEventInAFileOfItsOwnAndHandsOutTheOldestFirst) {
    Outbox outbox(folder_ / "Outbox", 10);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    // Added out of order: the id, not the order of adding, says which is older.
    ASSERT_TRUE(outbox.Add("20240305T060709200Z-00000002-aa", "{\"n\":\"2\"}", dropped));
    ASSERT_TRUE(outbox.Add("20240305T060709100Z-00000001-aa", "{\"n\":\"1\"}", dropped));
    ASSERT_TRUE(outbox.Add("20240305T060710000Z-00000003-aa", Bytes("{\0}", 3), dropped));
    EXPECT_TRUE(dropped.empty());
    EXPECT_EQ(outbox.Waiting(), 3u);
    // Nothing but the finished files: no temporary name is left.
    EXPECT_EQ(FileNames(folder_ / "Outbox"),
              (Names{"20240305T060709100Z-00000001-aa.json", "20240305T060709200Z-00000002-aa.json",
                     "20240305T060710000Z-00000003-aa.json"}));

    Names order;
    std::string id;
    while (outbox.Oldest(id)) {
        std::string json;
        ASSERT_TRUE(outbox.Read(id, json));
        order.push_back(json);
        ASSERT_TRUE(outbox.Remove(id));
    }
    EXPECT_EQ(order, (Names{"{\"n\":\"1\"}", "{\"n\":\"2\"}", Bytes("{\0}", 3)}));
    EXPECT_TRUE(FileNames(folder_ / "Outbox").empty());
    // Gone already (dropped while it was being sent): nothing left to remove.
    EXPECT_TRUE(outbox.Remove("20240305T060709100Z-00000001-aa"));
}

TEST_F(OutboxTest, AFileThatCannotBeRemovedIsReportedAndForgotten) {
    Outbox outbox(folder_ / "Outbox", 10);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    ASSERT_TRUE(outbox.Add("1", "{}", dropped));
    // Something put a non-empty folder in the file's place.
    std::filesystem::remove(folder_ / "Outbox" / "1.json");
    WriteFile(folder_ / "Outbox" / "1.json" / "inside", "x");
    EXPECT_FALSE(outbox.Remove("1"));
    EXPECT_EQ(outbox.Waiting(), 0u);
}

TEST_F(OutboxTest, OpeningTakesWhatWaitedSkipsTheRestAndRemovesHalfWrittenFiles) {
    const auto box = folder_ / "Outbox";
    WriteFile(box / "b.json", "{\"n\":\"b\"}");
    WriteFile(box / "a.json", "{\"n\":\"a\"}");
    WriteFile(box / "c.tmp", "{\"n\":"); // cut short by a power failure
    WriteFile(box / "notes.txt", "left by someone");
    WriteFile(box / "rejected" / "0.json", "{}");
    Outbox outbox(box, 10);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    EXPECT_TRUE(dropped.empty());
    EXPECT_EQ(outbox.Waiting(), 2u);
    std::string id;
    ASSERT_TRUE(outbox.Oldest(id));
    EXPECT_EQ(id, "a");
    EXPECT_EQ(FileNames(box), (Names{"a.json", "b.json", "notes.txt"}));
    EXPECT_EQ(FileNames(box / "rejected"), Names{"0.json"});
}

TEST_F(OutboxTest, PastTheCapTheOldestIsDroppedWhenAddingAndWhenOpening) {
    const auto box = folder_ / "Outbox";
    WriteFile(box / "1.json", "{}");
    WriteFile(box / "2.json", "{}");
    WriteFile(box / "3.json", "{}");
    Outbox outbox(box, 2);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    EXPECT_EQ(dropped, Names{"1"});
    EXPECT_EQ(FileNames(box), (Names{"2.json", "3.json"}));

    dropped.clear();
    ASSERT_TRUE(outbox.Add("4", "{}", dropped));
    EXPECT_EQ(dropped, Names{"2"});
    EXPECT_EQ(FileNames(box), (Names{"3.json", "4.json"}));
    EXPECT_EQ(outbox.Waiting(), 2u);
}

TEST_F(OutboxTest, ARejectedEventMovesToRejectedAndIsNotHandedOutAgain) {
    Outbox outbox(folder_ / "Outbox", 10);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    ASSERT_TRUE(outbox.Add("1", "{\"n\":\"1\"}", dropped));
    ASSERT_TRUE(outbox.Add("2", "{}", dropped));
    ASSERT_TRUE(outbox.Reject("1"));
    EXPECT_EQ(ReadFile(folder_ / "Outbox" / "rejected" / "1.json"), "{\"n\":\"1\"}");
    EXPECT_EQ(FileNames(folder_ / "Outbox"), Names{"2.json"});
    std::string id;
    ASSERT_TRUE(outbox.Oldest(id));
    EXPECT_EQ(id, "2");
    EXPECT_FALSE(outbox.Reject("1"));
}

TEST_F(OutboxTest, AWriteThatFailsLeavesNothingBehindAndIsNotWaiting) {
    Outbox outbox(folder_ / "Outbox", 10);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    // A folder stands where the event's file would go.
    std::filesystem::create_directories(folder_ / "Outbox" / "1.json");
    EXPECT_FALSE(outbox.Add("1", "{}", dropped));
    EXPECT_EQ(outbox.Waiting(), 0u);
    EXPECT_TRUE(FileNames(folder_ / "Outbox").empty());

    // The folder itself has gone.
    std::filesystem::remove_all(folder_ / "Outbox");
    EXPECT_FALSE(outbox.Add("2", "{}", dropped));
    EXPECT_EQ(outbox.Waiting(), 0u);
}

TEST_F(OutboxTest, AnEventWhoseFileWentIsNotRead) {
    Outbox outbox(folder_ / "Outbox", 10);
    Names dropped;
    ASSERT_TRUE(outbox.Open(dropped));
    ASSERT_TRUE(outbox.Add("1", "{}", dropped));
    std::filesystem::remove(folder_ / "Outbox" / "1.json");
    std::string json;
    EXPECT_FALSE(outbox.Read("1", json));
    EXPECT_FALSE(outbox.Read("never-added", json));
    EXPECT_TRUE(outbox.Forget("1"));
    EXPECT_FALSE(outbox.Forget("1"));
    EXPECT_EQ(outbox.Waiting(), 0u);
}

TEST_F(OutboxTest, OpenFailsWhenTheFolderCannotBeMade) {
    WriteFile(folder_ / "Log", "a file where the folder would be");
    Outbox outbox(folder_ / "Log" / "Outbox", 10);
    Names dropped;
    EXPECT_FALSE(outbox.Open(dropped));
}

} // namespace
} // namespace tavo
