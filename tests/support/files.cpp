#include "support/files.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace support {

namespace {
fs::path MakeFolder() {
    char tmpl[] = "/tmp/poker_test_XXXXXX";
    if (mkdtemp(tmpl) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    return fs::canonical(tmpl);
}
}  // namespace

FileTest::FileTest() : dir(MakeFolder()) {}

FileTest::~FileTest() {
    std::error_code ec;
    fs::remove_all(dir, ec);
}

std::string ReadFile(const fs::path& file) {
    std::stringstream ss;
    ss << std::ifstream(file, std::ios::binary).rdbuf();
    return ss.str();
}

void WriteFile(const fs::path& file, const std::string& data) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << data;
}

}  // namespace support
