// The Win32-shaped calls of the registry store: lookups, deletion rules, access, enumeration and
// the error codes callers rely on.
#include "tests/platform/registry_test_support.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace registry_test;
namespace reg = platform::registry;

namespace {

constexpr DWORD kSentinel = 0xdeadbeef;

HKEY create(HKEY parent, const char *path, REGSAM access = KEY_ALL_ACCESS)
{
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyEx(parent, path, 0, nullptr, 0, access, nullptr, &key, nullptr), ERROR_SUCCESS)
        << path;
    return key;
}

LONG open(HKEY parent, const char *path, HKEY &key, REGSAM access = KEY_ALL_ACCESS)
{
    return RegOpenKeyEx(parent, path, 0, access, &key);
}

LONG setText(HKEY key, const char *name, const std::string &text)
{
    return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
        static_cast<DWORD>(text.size() + 1));
}

std::vector<std::string> subkeys(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        const LONG status = RegEnumKeyEx(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        EXPECT_EQ(status, ERROR_SUCCESS);
        names.emplace_back(name, size);
    }
    return names;
}

} // namespace

TEST_F(StoreTest, LookupsIgnoreCaseAndNamesKeepTheirFirstCase)
{
    HKEY key = nullptr;
    DWORD created = kSentinel;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\MixedCase\\Ärger École", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, &created),
        ERROR_SUCCESS);
    EXPECT_EQ(created, REG_CREATED_NEW_KEY);
    ASSERT_EQ(setText(key, "UserName", "first"), ERROR_SUCCESS);
    ASSERT_EQ(setText(key, "USERNAME", "second"), ERROR_SUCCESS);

    // Both the key path and the value name in another case.
    HKEY again = nullptr;
    ASSERT_EQ(open(HKEY_CURRENT_USER, "sOfTwArE\\mIxEdCaSe\\äRGER éCOLE", again, KEY_READ),
        ERROR_SUCCESS);
    char data[32] = {};
    DWORD size = sizeof data;
    DWORD type = kSentinel;
    EXPECT_EQ(
        RegQueryValueEx(again, "USERNAME", nullptr, &type, reinterpret_cast<BYTE *>(data), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(data, "second");
    RegCloseKey(again);

    // One value, under the name it was created with; the key keeps its creator's case too.
    char name[32];
    DWORD nameSize = sizeof name;
    ASSERT_EQ(
        RegEnumValue(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "UserName");
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValue(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
        ERROR_NO_MORE_ITEMS);
    DWORD disposition = kSentinel;
    HKEY same = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\MIXEDCASE", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &same, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(same);
    HKEY software = nullptr;
    ASSERT_EQ(open(HKEY_CURRENT_USER, "software", software), ERROR_SUCCESS);
    EXPECT_EQ(subkeys(software), std::vector<std::string> { "MixedCase" });
    RegCloseKey(software);
    RegCloseKey(key);
}

TEST_F(StoreTest, DeletionRules)
{
    RegCloseKey(create(HKEY_CURRENT_USER, "Software\\App\\Child\\Grandchild"));
    HKEY app = create(HKEY_CURRENT_USER, "Software\\App");
    ASSERT_EQ(setText(app, nullptr, "default"), ERROR_SUCCESS);

    struct Case {
        const char *what;
        LONG (*call)(HKEY app);
        LONG expected;
    } cases[] = {
        { "key with subkeys", [](HKEY a) { return RegDeleteKey(a, "Child"); },
            ERROR_ACCESS_DENIED },
        { "missing key", [](HKEY a) { return RegDeleteKey(a, "Nothing"); }, ERROR_FILE_NOT_FOUND },
        { "null subkey", [](HKEY a) { return RegDeleteKey(a, nullptr); }, ERROR_INVALID_PARAMETER },
        { "a root", [](HKEY) { return RegDeleteKey(HKEY_CURRENT_USER, ""); }, ERROR_ACCESS_DENIED },
        { "leaf, other case", [](HKEY a) { return RegDeleteKey(a, "child\\GRANDCHILD"); },
            ERROR_SUCCESS },
        { "leaf again", [](HKEY a) { return RegDeleteKey(a, "Child\\Grandchild"); },
            ERROR_FILE_NOT_FOUND },
        { "now a leaf", [](HKEY a) { return RegDeleteKey(a, "Child"); }, ERROR_SUCCESS },
        { "missing value", [](HKEY a) { return RegDeleteValue(a, "nothing"); },
            ERROR_FILE_NOT_FOUND },
        { "default value", [](HKEY a) { return RegDeleteValue(a, ""); }, ERROR_SUCCESS },
        { "default value again", [](HKEY a) { return RegDeleteValue(a, nullptr); },
            ERROR_FILE_NOT_FOUND },
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.call(app), c.expected) << c.what;
    EXPECT_TRUE(subkeys(app).empty());
    RegCloseKey(app);
}

TEST_F(StoreTest, HandleToADeletedKeyFailsCleanly)
{
    HKEY doomed = create(HKEY_CURRENT_USER, "Software\\Doomed");
    HKEY reopened = create(HKEY_CURRENT_USER, "Software\\Doomed");
    ASSERT_EQ(setText(doomed, "v", "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);

    DWORD size = 0;
    HKEY child = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(kSentinel));
    char name[16];
    DWORD cch = sizeof name;
    EXPECT_EQ(RegQueryValueEx(doomed, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(setText(doomed, "v", "y"), ERROR_KEY_DELETED);
    EXPECT_EQ(RegEnumKeyEx(reopened, 0, name, &cch, nullptr, nullptr, nullptr, nullptr),
        ERROR_KEY_DELETED);
    EXPECT_EQ(
        RegCreateKeyEx(doomed, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_KEY_DELETED);
    EXPECT_EQ(child, nullptr);
    // The deletion did not come back through a stale handle.
    EXPECT_EQ(open(HKEY_CURRENT_USER, "Software\\Doomed", child), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(doomed), ERROR_INVALID_HANDLE);
    RegCloseKey(reopened);
}

TEST_F(StoreTest, HandleAccessIsCheckedPerCall)
{
    RegCloseKey(create(HKEY_CURRENT_USER, "Software\\Acl"));
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Software\\Acl", "v", "x"), ERROR_SUCCESS);
    HKEY readOnly = nullptr;
    HKEY writeOnly = nullptr;
    ASSERT_EQ(open(HKEY_CURRENT_USER, "Software\\Acl", readOnly, KEY_READ), ERROR_SUCCESS);
    ASSERT_EQ(open(HKEY_CURRENT_USER, "Software\\Acl", writeOnly, KEY_WRITE), ERROR_SUCCESS);
    DWORD size = 0;
    HKEY sub = nullptr;

    EXPECT_EQ(RegQueryValueEx(readOnly, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(setText(readOnly, "v", "y"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(readOnly, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        RegCreateKeyEx(readOnly, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
        ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        RegQueryValueEx(writeOnly, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(setText(writeOnly, "v", "z"), ERROR_SUCCESS);

    std::string value;
    EXPECT_EQ(reg::readString(HKEY_CURRENT_USER, "Software\\Acl", "v", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "z");
    EXPECT_EQ(open(HKEY_CURRENT_USER, "Software\\Acl\\New", sub), ERROR_FILE_NOT_FOUND);
    RegCloseKey(readOnly);
    RegCloseKey(writeOnly);
}

// The seam other tests use to make a root refuse: only the named root, only the named direction,
// and a refused write leaves the root's file as it was.
TEST_F(StoreTest, FailureSeamDeniesReadOrWritePerRoot)
{
    const HKEY roots[] = { HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS };
    const char *names[] = { "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
        "HKEY_USERS" };
    for (HKEY root : roots)
        ASSERT_EQ(reg::writeString(root, "Seam", "v", "before"), ERROR_SUCCESS);
    for (int denied = 0; denied < 4; ++denied) {
        for (const bool denyRead : { true, false }) {
            SCOPED_TRACE(std::string(names[denied]) + (denyRead ? " read" : " write"));
            const std::string fileBefore = readFile(names[denied]);
            const std::string written = std::string(names[denied]) + (denyRead ? "r" : "w");
            reg::testing::denyAccess(roots[denied], denyRead, !denyRead);
            for (int root = 0; root < 4; ++root) {
                const bool hit = root == denied;
                std::string value = "untouched";
                EXPECT_EQ(reg::readString(roots[root], "Seam", "v", value),
                    hit && denyRead ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
                EXPECT_EQ(value, hit && denyRead ? "untouched" : "before");
                EXPECT_EQ(reg::writeString(roots[root], "Seam", written, "after"),
                    hit ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
            }
            reg::testing::allowAllAccess();
            EXPECT_EQ(readFile(names[denied]), fileBefore);
        }
    }
}

// Permission bits, for real: a child process that is not root (it drops to "nobody" when the test
// runs as root) meets an unreadable file and then a read-only one.
TEST_F(StoreTest, FilePermissionsGiveAccessDenied)
{
    // The sandbox folder is private to root; "nobody" needs a way in.
    std::string open = std::filesystem::temp_directory_path().string() + "/registry-perm-XXXXXX";
    ASSERT_NE(::mkdtemp(open.data()), nullptr);
    const std::unique_ptr<const char, void (*)(const char *)> cleanup(
        open.c_str(), [](const char *p) {
            std::error_code ignored;
            std::filesystem::remove_all(p, ignored);
        });
    ::setenv("BIDLARK_REGISTRY_DIR", open.c_str(), 1);
    ASSERT_EQ(reg::writeString(HKEY_LOCAL_MACHINE, "Software", "v", "x"), ERROR_SUCCESS);
    const std::string file = open + "/HKEY_LOCAL_MACHINE.reg";
    ::chmod(open.c_str(), 0777);
    ::chmod((open + "/registry.lock").c_str(), 0666);

    struct Case {
        const char *what;
        mode_t mode;
        bool write;
        LONG expected;
    } cases[] = {
        { "unreadable file, read", 0000, false, ERROR_ACCESS_DENIED },
        { "unreadable file, write", 0000, true, ERROR_ACCESS_DENIED },
        { "read-only file, read", 0444, false, ERROR_SUCCESS },
        { "read-only file, write", 0444, true, ERROR_ACCESS_DENIED },
        { "writable file, write", 0666, true, ERROR_SUCCESS },
        // No lock file yet and a folder nobody may add one to: refused, not an I/O failure.
        { "no lock file, closed folder, write", 0666, true, ERROR_ACCESS_DENIED },
    };
    for (const Case &c : cases) {
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        if (std::string_view(c.what).starts_with("no lock file")) {
            ASSERT_EQ(::unlink((open + "/registry.lock").c_str()), 0);
            ASSERT_EQ(::chmod(open.c_str(), 0555), 0);
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(100);
            std::string value;
            const LONG status = c.write
                ? reg::writeString(HKEY_LOCAL_MACHINE, "Software", "w", "y")
                : reg::readString(HKEY_LOCAL_MACHINE, "Software", "v", value);
            ::_exit(status == c.expected ? 0 : 1);
        }
        int wstatus = 0;
        ASSERT_EQ(::waitpid(child, &wstatus, 0), child);
        ASSERT_TRUE(WIFEXITED(wstatus));
        EXPECT_EQ(WEXITSTATUS(wstatus), 0) << c.what;
    }
    ::chmod(open.c_str(), 0700);
}

// A root file kept elsewhere behind a symbolic link: writes go to the link's target and the link
// stays, so later changes made at the target are still what the store reads.
TEST_F(StoreTest, ALinkedRootFileIsWrittenWhereItPoints)
{
    std::filesystem::create_directories(m_dir);
    const std::string elsewhere = m_dir + "-elsewhere";
    std::filesystem::create_directories(elsewhere);
    const std::string target = elsewhere + "/user.reg";
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Software", "a", "1"), ERROR_SUCCESS);
    std::filesystem::rename(path("HKEY_CURRENT_USER"), target);
    std::filesystem::create_symlink(target, path("HKEY_CURRENT_USER"));
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Software", "b", "2"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_symlink(path("HKEY_CURRENT_USER")));
    std::string value;
    ASSERT_EQ(reg::readString(HKEY_CURRENT_USER, "Software", "b", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "2");
    std::ifstream in(target);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"b\"=\"2\""), std::string::npos) << text;
    std::filesystem::remove_all(elsewhere);
}

TEST_F(StoreTest, StoreFolderAndUserFileArePrivate)
{
    std::filesystem::create_directories(m_dir);
    ::chmod(m_dir.c_str(), 0755); // as a launcher or a user's mkdir leaves it
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Software", "Password", "secret"), ERROR_SUCCESS);
    struct stat st { };
    ASSERT_EQ(::stat(m_dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(path("HKEY_CURRENT_USER").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(StoreTest, MalformedRootIsReportedAndLeftAlone)
{
    const char *samples[] = {
        "not a registry file\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"n\"=dword:123456789\n",
        "REGEDIT4\n\n\"orphan\"=\"value\"\n",
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\\\Twice]\n",
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"v\"=\"x\" trailing\n",
    };
    ASSERT_EQ(reg::writeString(HKEY_LOCAL_MACHINE, "Software", "other", "fine"), ERROR_SUCCESS);
    for (const char *sample : samples) {
        SCOPED_TRACE(sample);
        writeFile("HKEY_CURRENT_USER", sample);
        std::string value = "untouched";
        HKEY key = nullptr;
        EXPECT_EQ(
            reg::readString(HKEY_CURRENT_USER, "Software", "v", value), ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(value, "untouched");
        EXPECT_EQ(
            reg::writeString(HKEY_CURRENT_USER, "Software", "v", "new"), ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(open(HKEY_CURRENT_USER, "Software", key), ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(key, nullptr);
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr),
            ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(readFile("HKEY_CURRENT_USER"), sample);
        // The other roots carry on.
        EXPECT_EQ(reg::readString(HKEY_LOCAL_MACHINE, "Software", "other", value), ERROR_SUCCESS);
    }
    // Mended by hand, the root works again.
    writeFile("HKEY_CURRENT_USER", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"v\"=\"ok\"\n");
    std::string value;
    EXPECT_EQ(reg::readString(HKEY_CURRENT_USER, "Software", "v", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "ok");
}

TEST_F(StoreTest, QueryReportsSizesAndRefusesShortBuffers)
{
    HKEY key = create(HKEY_CURRENT_USER, "Software\\Sizes");
    const DWORD number = 0x0a0b0c0d;
    ASSERT_EQ(setText(key, "text", "hello"), ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueEx(key, "number", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), 4),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);

    struct Case {
        const char *name;
        bool withBuffer;
        DWORD bufferSize;
        LONG expected;
        DWORD type;
        DWORD size;
    } cases[] = {
        { "text", false, 0, ERROR_SUCCESS, REG_SZ, 6 },
        { "text", true, 5, ERROR_MORE_DATA, REG_SZ, 6 },
        { "text", true, 6, ERROR_SUCCESS, REG_SZ, 6 },
        { "number", true, 3, ERROR_MORE_DATA, REG_DWORD, 4 },
        { "empty", true, 1, ERROR_SUCCESS, REG_SZ, 1 },
        { "missing", true, 64, ERROR_FILE_NOT_FOUND, kSentinel, 64 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.bufferSize));
        BYTE buffer[64];
        std::memset(buffer, 0xAB, sizeof buffer);
        DWORD type = kSentinel;
        DWORD size = c.withBuffer ? c.bufferSize : kSentinel;
        EXPECT_EQ(
            RegQueryValueEx(key, c.name, nullptr, &type, c.withBuffer ? buffer : nullptr, &size),
            c.expected);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.size);
        if (c.expected == ERROR_MORE_DATA || c.expected == ERROR_FILE_NOT_FOUND) {
            EXPECT_EQ(buffer[0], 0xAB); // nothing half-copied
        }
    }
    DWORD read = 0;
    DWORD size = sizeof read;
    ASSERT_EQ(
        RegQueryValueEx(key, "number", nullptr, nullptr, reinterpret_cast<BYTE *>(&read), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(read, number);
    BYTE buffer[8];
    EXPECT_EQ(
        RegQueryValueEx(key, "text", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(StoreTest, EnumerationOrderAndBufferSizes)
{
    HKEY key = create(HKEY_CURRENT_USER, "Software\\Enum");
    for (const char *sub : { "beta", "Alpha", "gamma", "Delta" })
        RegCloseKey(create(key, sub));
    for (const char *value : { "zeta", "Eta", "", "theta" })
        ASSERT_EQ(setText(key, value, value), ERROR_SUCCESS);

    EXPECT_EQ(subkeys(key), (std::vector<std::string> { "Alpha", "beta", "Delta", "gamma" }));
    std::vector<std::string> values;
    char name[32];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        const LONG status = RegEnumValue(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
            break;
        }
        EXPECT_EQ(size, std::strlen(name));
        values.emplace_back(name);
    }
    EXPECT_EQ(values, (std::vector<std::string> { "zeta", "Eta", "", "theta" }));

    struct Case {
        DWORD index;
        DWORD nameBuffer;
        LONG expected;
        DWORD reported;
    } keyCases[] = {
        { 0, 5, ERROR_MORE_DATA, 6 }, // "Alpha" needs its NUL
        { 0, 6, ERROR_SUCCESS, 5 },
        { 4, 64, ERROR_NO_MORE_ITEMS, 64 },
    };
    for (const Case &c : keyCases) {
        char buffer[64];
        DWORD size = c.nameBuffer;
        EXPECT_EQ(RegEnumKeyEx(key, c.index, buffer, &size, nullptr, nullptr, nullptr, nullptr),
            c.expected);
        EXPECT_EQ(size, c.reported);
    }

    char valueName[8];
    DWORD valueNameSize = sizeof valueName;
    BYTE data[2];
    DWORD dataSize = sizeof data;
    DWORD type = kSentinel;
    EXPECT_EQ(RegEnumValue(key, 1, valueName, &valueNameSize, nullptr, &type, data, &dataSize),
        ERROR_MORE_DATA);
    EXPECT_STREQ(valueName, "Eta");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(dataSize, 4u);
    valueNameSize = 3;
    EXPECT_EQ(RegEnumValue(key, 0, valueName, &valueNameSize, nullptr, nullptr, nullptr, nullptr),
        ERROR_MORE_DATA);
    EXPECT_EQ(valueNameSize, 5u);
    RegCloseKey(key);
}

TEST_F(StoreTest, BadArgumentsAndHandles)
{
    HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(kSentinel));
    const HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x12344));
    const DWORD three = 3;
    struct Case {
        const char *what;
        LONG status;
        LONG expected;
    } cases[] = {
        { "open on a bogus handle", RegOpenKeyEx(bogus, "x", 0, KEY_READ, &key),
            ERROR_INVALID_HANDLE },
        { "open without result", RegOpenKeyEx(HKEY_CURRENT_USER, "x", 0, KEY_READ, nullptr),
            ERROR_INVALID_PARAMETER },
        { "leading backslash",
            RegCreateKeyEx(
                HKEY_CURRENT_USER, "\\x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER },
        { "key name of 256 characters",
            RegCreateKeyEx(HKEY_CURRENT_USER, std::string(256, 'k').c_str(), 0, nullptr, 0,
                KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER },
        { "value name with a line break", reg::writeString(HKEY_CURRENT_USER, "a", "x\ry", "v"),
            ERROR_INVALID_PARAMETER },
        { "dword of three bytes",
            RegSetValueEx(
                HKEY_CURRENT_USER, "d", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&three), 3),
            ERROR_INVALID_PARAMETER },
        { "close a bogus handle", RegCloseKey(bogus), ERROR_INVALID_HANDLE },
        { "convenience call on a non-root", reg::writeString(bogus, "a", "b", "c"),
            ERROR_INVALID_HANDLE },
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.status, c.expected) << c.what;
    EXPECT_EQ(key, nullptr);
    EXPECT_FALSE(std::filesystem::exists(path("HKEY_CURRENT_USER")));

    std::string text;
    DWORD number = kSentinel;
    ASSERT_EQ(reg::writeDword(HKEY_CURRENT_USER, "T", "n", 7), ERROR_SUCCESS);
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "T", "s", "7"), ERROR_SUCCESS);
    EXPECT_EQ(reg::readString(HKEY_CURRENT_USER, "T", "n", text), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(reg::readDword(HKEY_CURRENT_USER, "T", "s", number), ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(number, kSentinel);
    EXPECT_EQ(reg::readDword(HKEY_CURRENT_USER, "T", "n", number), ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);
}

TEST(StoreDirectory, FollowsTheEnvironment)
{
    const char *vars[] = { "BIDLARK_REGISTRY_DIR", "XDG_DATA_HOME", "HOME" };
    std::vector<std::string> keep;
    for (const char *var : vars)
        keep.emplace_back(std::getenv(var) ? std::getenv(var) : "");
    struct Case {
        const char *registryDir;
        const char *dataHome;
        const char *expected;
    } cases[] = {
        { "/r", "/d", "/r" },
        { "", "/d", "/d/bidlark/registry" },
        { "", "relative", "/h/.local/share/bidlark/registry" },
        { "", "", "/h/.local/share/bidlark/registry" },
    };
    ::setenv("HOME", "/h", 1);
    for (const Case &c : cases) {
        ::setenv("BIDLARK_REGISTRY_DIR", c.registryDir, 1);
        ::setenv("XDG_DATA_HOME", c.dataHome, 1);
        EXPECT_EQ(reg::storeDirectory(), c.expected);
    }
    for (std::size_t i = 0; i < keep.size(); ++i)
        ::setenv(vars[i], keep[i].c_str(), 1);
}

// A batch keeps every change in the process until the outermost batch closes, then writes each
// changed root once; a refused root is refused at the change, not silently at the end.
TEST_F(StoreTest, ChangeBatchWritesEachRootOnceWhenTheOutermostCloses)
{
    ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Kept", "v", "before"), ERROR_SUCCESS);
    const std::string userBefore = readFile("HKEY_CURRENT_USER");
    {
        reg::ChangeBatch outer;
        ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Batch", "v", "one"), ERROR_SUCCESS);
        {
            reg::ChangeBatch inner;
            ASSERT_EQ(reg::writeDword(HKEY_LOCAL_MACHINE, "Batch\\Deep", "d", 7), ERROR_SUCCESS);
            EXPECT_EQ(inner.close(), ERROR_SUCCESS);
            EXPECT_EQ(inner.close(), ERROR_SUCCESS);
        }
        std::string value;
        EXPECT_EQ(reg::readString(HKEY_CURRENT_USER, "Batch", "v", value), ERROR_SUCCESS);
        EXPECT_EQ(value, "one");
        EXPECT_EQ(readFile("HKEY_CURRENT_USER"), userBefore);
        EXPECT_EQ(readFile("HKEY_LOCAL_MACHINE").find("Deep"), std::string::npos);

        reg::testing::denyAccess(HKEY_USERS, false, true);
        EXPECT_EQ(reg::writeString(HKEY_USERS, "Batch", "v", "no"), ERROR_ACCESS_DENIED);
        reg::testing::allowAllAccess();
        EXPECT_EQ(outer.close(), ERROR_SUCCESS);
    }
    EXPECT_NE(readFile("HKEY_CURRENT_USER").find("\"v\"=\"one\""), std::string::npos);
    EXPECT_NE(readFile("HKEY_LOCAL_MACHINE").find("\"d\"=dword:00000007"), std::string::npos);
    EXPECT_EQ(readFile("HKEY_USERS").find("Batch"), std::string::npos);
    reg::testing::dropCache(); // what the next process sees
    DWORD number = 0;
    EXPECT_EQ(reg::readDword(HKEY_LOCAL_MACHINE, "Batch\\Deep", "d", number), ERROR_SUCCESS);
    EXPECT_EQ(number, 7u);
}
