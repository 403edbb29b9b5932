// Shared set-up for the application-shell tests: one QApplication for the process, and a fixture
// that starts every test from an empty settings key and zeroed in-memory copies.
#pragma once

#include "app/modules/mSettings.h"
#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <QString>

#include <initializer_list>
#include <utility>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKey(HKEY_CURRENT_USER, mSettings::registryPath().toStdString().c_str());
        mSettings::resetInMemory();
    }
    void TearDown() override { mSettings::resetInMemory(); }

    static void store(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        for (const auto &[key, value] : values)
            ASSERT_EQ(mSettings::saveSetting(QLatin1String(key), QString::fromUtf8(value)),
                ERROR_SUCCESS);
    }

    // The stored text, or "<missing>" when the key has no such value.
    static QString stored(const char *key)
    {
        std::string value;
        const LONG rc = platform::registry::readString(
            HKEY_CURRENT_USER, mSettings::registryPath().toStdString(), key, value);
        return rc == ERROR_SUCCESS ? QString::fromStdString(value) : QStringLiteral("<missing>");
    }
};
