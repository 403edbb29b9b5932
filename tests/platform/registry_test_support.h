// Shared by the registry test files: a fixture that gives every test its own store folder (also
// when the binary is run by hand, outside the test launcher) and small file helpers.
#pragma once

#include "platform/registry/registry.h"
#include "platform/registry/testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace registry_test {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *sandbox = std::getenv("BIDLARK_TEST_SANDBOX");
        std::string base = sandbox ? sandbox : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/registry-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_dir = m_root + "/store";
        ::setenv("BIDLARK_REGISTRY_DIR", m_dir.c_str(), 1);
    }

    void TearDown() override
    {
        platform::registry::testing::allowAllAccess();
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    std::string path(const char *root) const { return m_dir + "/" + root + ".reg"; }

    // Writes a root file the way another program would: a new file renamed into place.
    void writeFile(const char *root, const std::string &text) const
    {
        std::filesystem::create_directories(m_dir);
        const std::string temp = path(root) + ".hand";
        std::ofstream(temp, std::ios::binary) << text;
        std::filesystem::rename(temp, path(root));
    }

    std::string readFile(const char *root) const
    {
        std::ifstream in(path(root), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string m_root;
    std::string m_dir;
};

} // namespace registry_test
