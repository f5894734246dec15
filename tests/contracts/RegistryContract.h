// The registry contract: one suite of RegistryProvider tests, run against every registry port
// (the in-memory one everywhere, the Win32 one under Wine). Where the real registry and the
// in-memory one disagree, the in-memory one is wrong.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/ports/RegistryPort.h"

namespace kestrover::testing {

// What a registry implementation offers the contract suite.
class RegistryHarness {
public:
    virtual ~RegistryHarness() = default;

    virtual RegistryPort& Port() = 0;
    // An empty scratch key below HKEY_CURRENT_USER\Software that exists for the life of the
    // harness and is removed with everything below it afterwards.
    virtual std::string ScratchPath() = 0;
    // Whether the registry plays 64-bit Windows, where the KEY_WOW64 flags choose a view.
    virtual bool Is64BitWindows() = 0;
    // Windows enumerates values in creation order; Wine lists them alphabetically.
    virtual bool ValuesInCreationOrder() { return true; }
    // Whether tests may create (and remove) scratch keys below HKEY_LOCAL_MACHINE\Software,
    // where the 32-bit view is redirected to Wow6432Node.
    virtual bool CanWriteLocalMachine() { return true; }
    // Makes the key (64-bit view) refuse reading, or writing, to this process. False when the
    // implementation cannot; the tests that need it are then skipped.
    virtual bool DenyRead(PredefinedKey root, const std::string& path) = 0;
    virtual bool DenyWrite(PredefinedKey root, const std::string& path) = 0;
    // Makes the next write of a value fail. False when the implementation cannot.
    virtual bool FailNextWrite() { return false; }
};

struct RegistryHarnessFactory {
    std::string name;
    std::function<std::unique_ptr<RegistryHarness>()> make;
};

inline std::string PrintToString(const RegistryHarnessFactory& factory) { return factory.name; }

class RegistryContract : public ::testing::TestWithParam<RegistryHarnessFactory> {
protected:
    void SetUp() override { harness_ = GetParam().make(); }
    void TearDown() override { harness_.reset(); }

    RegistryHarness& Harness() { return *harness_; }
    RegistryPort& Port() { return harness_->Port(); }
    std::string Scratch() { return harness_->ScratchPath(); }

private:
    std::unique_ptr<RegistryHarness> harness_;
};

// Instantiate with: INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract,
//     ::testing::Values(RegistryHarnessFactory{"Memory", [] { return ...; }}),
//     [](const auto& info) { return info.param.name; });

}  // namespace kestrover::testing
