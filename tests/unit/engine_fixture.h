// Shared set-up of the engine tests: a fresh fake machine, settings off, an
// empty run log and a progress counter.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DeleteUnit.h"
#include "fake/fake.h"
#include "log/LogUnit.h"
#include "platform/platform.h"
#include "settings/VarUnit.h"

namespace enginetest {

inline constexpr plat::HKey kLM = plat::kHKeyLocalMachine;
inline constexpr plat::HKey kCU = plat::kHKeyCurrentUser;
inline const std::string kBackupItem = "C:\\Tools\\Tidewell\\Backup\\set1\\NVIDIA - Display - Files\\";
inline const std::string kBackupRegItem = "C:\\Tools\\Tidewell\\Backup\\set1\\NVIDIA - Display - Registry\\";

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        tw::BackupEnabled = false;
        tw::DeleteAtReboot = false;
        tw::BackupPath = kBackupItem;
        tw::RunLog().clear();
        steps = 0;
        tw::SetProgressHook([this] { ++steps; });
    }
    void TearDown() override {
        tw::SetProgressHook(nullptr);
        tw::RunLog().clear();
        EXPECT_EQ(fake::openKeyCount(), 0) << "registry handles left open";
    }

    // The run log as narrow text, in order.
    static std::vector<std::string> logLines() {
        std::vector<std::string> out;
        for (const auto& line : tw::RunLog().lines()) out.push_back(plat::wideToAnsi(line));
        return out;
    }
    static bool queued(const std::string& from, const std::string& to = {}) {
        for (const auto& p : fake::restartQueue())
            if (p.from == from && p.to == to) return true;
        return false;
    }

    int steps = 0;
};

}  // namespace enginetest
