#include "host/headless/HeadlessUi.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kx {
namespace {

TEST(HeadlessUi, RecordsAndEchoesMessages) {
    std::ostringstream echo;
    HeadlessUi ui(&echo);
    EXPECT_EQ(ui.Message("No meshes", "Error", MessageIcon::Error, MessageButtons::Ok),
              MessageAnswer::Ok);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(echo.str(), "Error: No meshes\n");
    // A name from a file in the text cannot forge a line or move the cursor.
    echo.str("");
    ui.Message("Mesh a\x1b[2J\nkaltrix: b", "Error", MessageIcon::Error, MessageButtons::Ok);
    EXPECT_EQ(echo.str(), "Error: Mesh a\\x1b[2J kaltrix: b\n");
    EXPECT_EQ(ui.messages[1].text, "Mesh a\x1b[2J\nkaltrix: b");
}

TEST(HeadlessUi, AnswersFromItsScriptThenDefaults) {
    HeadlessUi ui;
    ui.QueueFile("out.cmp");
    ui.QueueFile(std::nullopt);
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_EQ(ui.SaveFile({}), "out.cmp");
    EXPECT_EQ(ui.OpenFile({}), std::nullopt);
    EXPECT_EQ(ui.BrowseFolder("t", "."), std::nullopt);  // script exhausted: cancelled
    EXPECT_EQ(ui.Message("q", "c", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    ui.defaultAnswer = MessageAnswer::Yes;
    EXPECT_EQ(ui.Message("q", "c", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(ui.fileRequests.size(), 3u);
}

}  // namespace
}  // namespace kx
