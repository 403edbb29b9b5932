// The production unregistrar against a real component library (the OLE hosting tests' test
// control): its DllUnregisterServer and its type library's registration.
#include "platform/com/server_module.h"
#include "platform/com/typelib.h"
#include "tests/uninstaller/test_support.h"
#include "uninstaller/engine/removal_engine.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace uninstaller_test;

constexpr const char *kClassKey = "CLSID\\{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A03}";
constexpr const char *kTypeLibKey = "TypeLib\\{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A04}";

class UnregisterTest : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        // A copy in the build tree: the library is loaded from here, and /tmp may be noexec.
        std::filesystem::copy_file(
            std::string(std::getenv("BIDLARK_BIN_DIR")) + "/liboletestcontrol.so", m_library);
        ASSERT_EQ(platform::com::CallServerRegistration(m_library, false), S_OK);
        ASSERT_TRUE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
        ASSERT_TRUE(keyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
    }
    std::string m_library = path("libcontrol copy.so");
    std::unique_ptr<uninstaller::engine::ComponentUnregistrar> m_unregistrar =
        uninstaller::engine::makeComponentUnregistrar();
};

// Through the engine: the library unregisters itself and its type library, from its own folder,
// and is deleted after.
TEST_F(UnregisterTest, SharedControlIsUnregisteredThenDeleted)
{
    uninstall_log_writer::LogDescription d = uiDescription("Control");
    d.shared = { m_library + "|ctrl" };
    uninstaller::log::UninstallLog log;
    ASSERT_TRUE(uninstaller::log::SplitLog(uninstall_log_writer::buildPlainLog(d), log));
    FaultyFileSystem files;
    FaultyRegistry registry;
    RecordingLauncher launcher;
    setSharedCount(m_library, 1);
    uninstaller::engine::RemovalEngine engine(log, "/nowhere", { true, true },
        { files, registry, launcher, *m_unregistrar, nullptr, {} });
    engine.ReleaseSharedFiles();
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
    EXPECT_FALSE(exists(m_library));
    EXPECT_EQ(
        files.folderChanges, (std::vector<std::string> { m_dir.path().toStdString(), "/start" }));
}

TEST_F(UnregisterTest, TypeLibraryFileRemovesOnlyItsRegistration)
{
    const std::string tlb = path("control.tlb");
    ASSERT_EQ(platform::com::exportTypeLib(m_library, tlb), S_OK);
    m_unregistrar->unregisterTypeLibrary(tlb);
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
}

} // namespace
