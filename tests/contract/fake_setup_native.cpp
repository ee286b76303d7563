// Native build of the contract tests: every test starts on a fresh in-memory
// Windows, and Wine is never involved.
#include <gtest/gtest.h>

#include "contract_support.h"
#include "fake/fake.h"

namespace contract {

bool runningUnderWine() { return false; }

namespace {

class FreshMachine : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { fake::reset(); }
};

[[maybe_unused]] const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshMachine);
    return true;
}();

}  // namespace
}  // namespace contract
