#pragma once
// A window model opened for a test and driven by control id with the
// script lines a person's clicks and typing are written as ("click 1012",
// "type 1003 2.5"), with a temporary folder for the files it reads and
// writes. The test class names its window `dlg` and derives from
// WindowFixture<itself>.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/FileIo.h"
#include "host/Window.h"
#include "testsupport/TempFiles.h"

namespace kx::test {

template <class Derived>
class WindowFixture : public ::testing::Test {
  protected:
    explicit WindowFixture(const std::string& folder) : dir_(folder) {}

    void SetUp() override { Self().dlg.Open(); }

    ActionOutcome Do(std::string_view line) {
        auto action = ParseWindowAction(line);
        EXPECT_TRUE(action) << line;
        return action ? ApplyAction(Self().dlg, *action) : ActionOutcome::NoSuchControl;
    }
    void Act(std::string_view line) { ASSERT_EQ(Do(line), ActionOutcome::Applied) << line; }
    const ControlState& C(int id) { return Self().dlg.Control(id); }

    std::string TempPath(const std::string& name) const { return dir_.File(name); }
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = TempPath(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

  private:
    Derived& Self() { return static_cast<Derived&>(*this); }
    TempDir dir_;
};

}  // namespace kx::test
