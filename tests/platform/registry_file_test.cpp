// The root files: hand-written files in the REGEDIT4 layout, round trips of awkward names and data,
// and foreign value types that must survive a rewrite.
#include "platform/registry/internal/regfile.h"
#include "tests/platform/registry_test_support.h"

#include <cstring>
#include <vector>

using namespace registry_test;
namespace reg = platform::registry;
using platform::registry::internal::Key;
using platform::registry::internal::ParseError;
using platform::registry::internal::parseRegFile;
using platform::registry::internal::writeRegFile;

namespace {

std::string query(HKEY root, const char *path, const char *name, DWORD &type)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    std::string data(4096, '\0');
    DWORD size = static_cast<DWORD>(data.size());
    const LONG status =
        RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return "<error " + std::to_string(status) + ">";
    data.resize(size);
    return data;
}

std::string bytes(std::initializer_list<int> list)
{
    std::string out;
    for (int b : list)
        out += static_cast<char>(b);
    return out;
}

} // namespace

TEST_F(StoreTest, HandWrittenFileIsRead)
{
    writeFile("HKEY_LOCAL_MACHINE",
        "\xEF\xBB\xBFREGEDIT4\r\n"
        "\r\n"
        "; a comment, then blank lines\r\n"
        "\r\n"
        "\r\n"
        "[hkey_local_machine\\Software\\Vendor]\r\n"
        "@=\"default text\"\r\n"
        "\"Plain\"=\"C:\\\\Program Files\\\\Vendor\"\r\n"
        "  \"Spaced\" = \"around the equals\"   \r\n"
        "\"Count\"=dword:0000000A\r\n"
        "\"Short\"=DWORD:ff\r\n"
        "\"Multi\"=hex(7):61,00,62,\\\r\n"
        "  00,00,00\r\n"
        "\"Expand\"=hex(2):25,50,25,00\r\n"
        "\"Blob\"=hex:de,ad,\\\r\n"
        "    be,ef\r\n"
        "\"Empty\"=hex:\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Empty Key]\r\n");

    struct Case {
        const char *name;
        DWORD type;
        std::string data;
    } cases[] = {
        { "", REG_SZ, std::string("default text", 13) },
        { "Plain", REG_SZ, std::string("C:\\Program Files\\Vendor", 24) },
        { "spaced", REG_SZ, std::string("around the equals", 18) },
        { "Count", REG_DWORD, bytes({ 10, 0, 0, 0 }) },
        { "Short", REG_DWORD, bytes({ 0xff, 0, 0, 0 }) },
        { "Multi", REG_MULTI_SZ, bytes({ 'a', 0, 'b', 0, 0, 0 }) },
        { "Expand", REG_EXPAND_SZ, "%P%" + bytes({ 0 }) },
        { "Blob", REG_BINARY, bytes({ 0xde, 0xad, 0xbe, 0xef }) },
        { "Empty", REG_BINARY, "" },
    };
    for (const Case &c : cases) {
        DWORD type = 0xdeadbeef;
        EXPECT_EQ(query(HKEY_LOCAL_MACHINE, "Software\\Vendor", c.name, type), c.data) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\vendor\\empty key", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(StoreTest, ForeignTypesSurviveARewrite)
{
    const std::string foreign = "[HKEY_CLASSES_ROOT\\CLSID\\{X}]\n"
                                "\"Multi\"=hex(7):61,00,62,00,00,00\n"
                                "\"Expand\"=hex(2):25,00\n"
                                "\"Blob\"=hex:00,ff,10\n"
                                "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\n"
                                "\"OddDword\"=hex(4):01,02\n"
                                "\"NoNul\"=hex(1):68,69\n"
                                "\"Custom\"=hex(12345678):\n";
    writeFile("HKEY_CLASSES_ROOT", "REGEDIT4\n\n" + foreign);
    ASSERT_EQ(reg::writeString(HKEY_CLASSES_ROOT, "CLSID\\{X}", "Added", "new"), ERROR_SUCCESS);
    ASSERT_EQ(reg::writeString(HKEY_CLASSES_ROOT, "CLSID\\{Y}", "", "other"), ERROR_SUCCESS);

    const std::string file = readFile("HKEY_CLASSES_ROOT");
    EXPECT_NE(file.find(foreign + "\"Added\"=\"new\"\n"), std::string::npos) << file;
    DWORD type = 0;
    EXPECT_EQ(
        query(HKEY_CLASSES_ROOT, "CLSID\\{X}", "Qword", type), bytes({ 1, 2, 3, 4, 5, 6, 7, 8 }));
    EXPECT_EQ(type, 0xbu);
    // Text stored without its NUL still reads as a proper C string.
    EXPECT_EQ(query(HKEY_CLASSES_ROOT, "CLSID\\{X}", "NoNul", type), std::string("hi", 3));
    EXPECT_EQ(type, REG_SZ);
}

TEST_F(StoreTest, AwkwardNamesAndDataRoundTrip)
{
    struct Case {
        const char *what;
        std::string key;
        std::string name;
        std::string data;
    } cases[] = {
        { "blanks", " Lead and trail ", "  spaced name  ", "  spaced data  " },
        { "backslashes", "Path", "C:\\dir\\", "\\\\server\\share\\" },
        { "quotes", "Quote \"key\"", "\"quoted\"", "say \"hi\"\\\"" },
        { "non-ASCII", "Größe ключ 鍵", "名前 ü", "Grüße 🎉 данные" },
        { "empty data", "Empty", "nothing", "" },
        { "default value", "Default", "", "the default" },
        { "brackets and equals", "a]b[c]=", "x]=\"y\"=", "[HKEY_CURRENT_USER\\Fake]" },
        { "newlines", "Lines", "multi", "one\ntwo\r\nthree\n" },
        { "control characters", "Ctl", "tab\tname", std::string("a\tb\x01\x7f", 5) },
        { "malformed UTF-8", "Bytes", "raw", "\xff\xfe latin1 \xe9" },
        { "comment-like", "; not a comment", "@", "; still data" },
        { "long name", std::string(255, 'k'), std::string(300, 'n'), std::string(5000, 'd') },
    };
    for (const Case &c : cases) {
        const std::string path = "Software\\" + c.key;
        ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, path, c.name, c.data), ERROR_SUCCESS)
            << c.what;
    }
    // Read back through a fresh parse of the file, as another process would.
    reg::testing::dropCache();
    for (const Case &c : cases) {
        std::string value = "<unread>";
        EXPECT_EQ(
            reg::readString(HKEY_CURRENT_USER, "Software\\" + c.key, c.name, value), ERROR_SUCCESS)
            << c.what;
        EXPECT_EQ(value, c.data) << c.what;
    }
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &software), ERROR_SUCCESS);
    std::vector<std::string> keys;
    char name[512];
    DWORD size = sizeof name;
    for (DWORD i = 0; RegEnumKeyEx(software, i, name, &size, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         ++i, size = sizeof name)
        keys.emplace_back(name);
    RegCloseKey(software);
    for (const Case &c : cases)
        EXPECT_NE(std::find(keys.begin(), keys.end(), c.key), keys.end()) << c.what;

    // Text with a line break is kept as hex(1), the only faithful form a line-based file has.
    const std::string file = readFile("HKEY_CURRENT_USER");
    EXPECT_NE(file.find("\"multi\"=hex(1):6f,6e,65,0a"), std::string::npos);
    EXPECT_NE(file.find("\"C:\\\\dir\\\\\"=\"\\\\\\\\server\\\\share\\\\\"\n"), std::string::npos);
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\a]b[c]=]\n"), std::string::npos);
}

TEST(RegFile, WriterOutputReadsBackToTheSameTree)
{
    Key root;
    Key *deep = root.addChild("A")->addChild("B c")->addChild("]");
    deep->setValue("", 1, std::string("x\0", 2));
    deep->setValue("embedded", 1, std::string("a\0b\0", 4));
    deep->setValue("dword", 4, std::string("\x01\x02\x03\x04", 4));
    deep->setValue("binary", 3, std::string(200, '\xAA'));
    root.setValue("at root", 1, std::string("r\0", 2));
    root.addChild("Leaf");

    const std::string text = writeRegFile(root, "HKEY_USERS");
    EXPECT_EQ(text.rfind("REGEDIT4\n\n[HKEY_USERS]\n\"at root\"=\"r\"\n", 0), 0u) << text;
    // Long hex lists are folded onto continuation lines of bounded width.
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        EXPECT_LE(end - start, 80u);
    Key again;
    ParseError error;
    ASSERT_TRUE(parseRegFile(text, "HKEY_USERS", again, &error)) << error.message << text;
    EXPECT_TRUE(again.equals(root)) << text;
    EXPECT_EQ(writeRegFile(again, "HKEY_USERS"), text);
}

TEST(RegFile, ErrorsNameTheLine)
{
    Key root;
    ParseError error;
    EXPECT_FALSE(parseRegFile("REGEDIT4\n\n[HKEY_USERS\\A]\n\"ok\"=\"1\"\n\"bad\"=dword:xyz\n",
        "HKEY_USERS", root, &error));
    EXPECT_EQ(error.line, 5u);
    Key blank;
    EXPECT_TRUE(parseRegFile(" \n\r\n", "HKEY_USERS", blank, &error));
    EXPECT_TRUE(blank.children().empty());
}
