// For tests of what touches files and the environment: no fault left armed, a folder of the
// test's own, an environment variable set for a while.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "host/host.h"

namespace support {

// The sanitized build runs several times slower: the longest tests check a part of their cases there.
inline constexpr bool kSanitized = POKER_SANITIZED;

// No fault is armed when the test starts, and none is left armed for the next one.
class FaultFree : public ::testing::Test {
protected:
    FaultFree() { host::ClearFaults(); }
    ~FaultFree() override { host::ClearFaults(); }
};

// ... and a fresh folder under /tmp (its canonical path), removed with all it holds afterwards.
class FileTest : public FaultFree {
protected:
    FileTest();
    ~FileTest() override;
    std::string In(const std::string& name) const { return (dir / name).string(); }
    const std::filesystem::path dir;
};

// Sets an environment variable for the life of the guard.
struct EnvGuard {
    EnvGuard(const char* name, const std::string& value) : name(name) {
        if (const char* old = std::getenv(name)) saved = old;
        setenv(name, value.c_str(), 1);
    }
    ~EnvGuard() { saved ? setenv(name, saved->c_str(), 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> saved;
};

// A file's whole contents ("" when it cannot be read); a file made to hold exactly `data`.
std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const std::string& data);

}  // namespace support
