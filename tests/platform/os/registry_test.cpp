// SPDX-License-Identifier: GPL-3.0-or-later
// The registry: the media-folder value present from the start, names without regard to case,
// the size protocol of value queries, handle checks, and the test hooks.
#include "platform/os/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kSdkKey = "Software\\Microsoft\\DirectX SDK";
constexpr const char* kSamplesPath = "DX81SDK Samples Path";

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { RegistryRestoreDefaults(); }

    // The value's text through the calls the media lookup makes; "" with the failing status.
    static std::string Query(const char* subKey, const char* valueName, LSTATUS* status)
    {
        HKEY key = nullptr;
        *status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key);
        if (*status != ERROR_SUCCESS) {
            return {};
        }
        std::vector<char> text(260);
        DWORD size = 260;
        *status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size);
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        return *status == ERROR_SUCCESS ? text.data() : "";
    }
};

TEST_F(RegistryTest, MediaFolderValueIsTheInstallDataFolder)
{
    LSTATUS status = 0;
    EXPECT_EQ(Query(kSdkKey, kSamplesPath, &status), FIREWORKS_INSTALL_DATA_DIR);
    EXPECT_EQ(Query("SOFTWARE\\microsoft\\directx sdk", "dx81sdk samples path", &status), FIREWORKS_INSTALL_DATA_DIR);
    // A prefix of a key's name is not a key.
    Query("Software\\Microsoft\\DirectX", kSamplesPath, &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    Query(kSdkKey, "DX9SDK Samples Path", &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, QueryReportsTheSizeNeededWithoutOverrunningAShortBuffer)
{
    ASSERT_EQ(RegistrySetMediaFolder("/data/show"), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, kSamplesPath, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 11u);

    std::vector<BYTE> small(10, 0xAB);
    size = 10;
    EXPECT_EQ(RegQueryValueExA(key, kSamplesPath, nullptr, nullptr, small.data(), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(small, std::vector<BYTE>(10, 0xAB));
    EXPECT_EQ(RegQueryValueExA(key, kSamplesPath, nullptr, nullptr, small.data(), nullptr), ERROR_INVALID_PARAMETER);

    std::vector<char> exact(11);
    size = 11;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, kSamplesPath, nullptr, &type, reinterpret_cast<BYTE*>(exact.data()), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(exact.data(), "/data/show");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ClosedAndUnknownHandlesAreRefused)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, kSamplesPath, nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    HKEY sub = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "x", 0, KEY_READ, &sub), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSdkKey, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, TestHooksChangeRemoveAndRestoreTheValue)
{
    LSTATUS status = 0;
    ASSERT_EQ(RegistrySetMediaFolder("/elsewhere"), ERROR_SUCCESS);
    EXPECT_EQ(Query(kSdkKey, kSamplesPath, &status), "/elsewhere");

    // With its only value gone the key itself is gone.
    ASSERT_EQ(RegistryRemoveMediaFolder(), ERROR_SUCCESS);
    Query(kSdkKey, kSamplesPath, &status);
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);

    RegistryRestoreDefaults();
    EXPECT_EQ(Query(kSdkKey, kSamplesPath, &status), FIREWORKS_INSTALL_DATA_DIR);
}

} // namespace
