// The log reader: scrambling, the trailer, the split and every way a damaged log must be refused.
#include "tests/uninstaller/test_support.h"
#include "tools/uninstall-log/log_writer.h"
#include "uninstaller/log/codepage.h"
#include "uninstaller/log/log_file.h"
#include "uninstaller/log/registry_tree.h"
#include "uninstaller/log/scramble.h"
#include "uninstaller/log/uninstall_log.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace uninstaller::log;
using namespace uninstall_log_writer;
using Bytes = std::vector<std::uint8_t>;
using namespace std::string_literals;

Bytes toBytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

LogDescription smallLog()
{
    LogDescription d = uninstaller_test::uiDescription("Tiny");
    d.code = "1";
    d.command = "/bin/true";
    d.shared = { "/opt/tiny/lib/libshared.so|CTRL" };
    d.backups = { backupLine("/opt/tiny/bak/a.conf", "/etc/tiny/a.conf", 0, 0, 42) };
    d.files = { "/opt/tiny/bin/tiny" };
    d.directories = { "/opt/tiny/bin", "/opt/tiny" };
    d.hasRegistry = true;
    d.registry[1].child("Software").values.push_back({ "Tiny", 1 });
    d.registry[1].child("Software").child("Tiny");
    d.registry[1].child("Software").findSubkey("Tiny")->deleteFlag = 1;
    return d;
}

bool splits(const Bytes &plain)
{
    UninstallLog log;
    return SplitLog(plain, log);
}

TEST(Scramble, KnownLayer)
{
    // Body {1, 2}, step 3, start 4: a starts at 7, so 1 + 7 = 8, then a = 10 and 2 + 10 = 12. The
    // checksum columns sum the four bytes before them: 8, 12, 3, 4, then four empty columns.
    const Bytes layer = scrambleLayer(Bytes { 1, 2 }, 3, 4);
    EXPECT_EQ(layer, (Bytes { 8, 12, 3, 4, 8, 12, 3, 4, 0, 0, 0, 0 }));
    Bytes copy = layer;
    ASSERT_EQ(unscrambleLayer(copy), std::optional<std::size_t>(2));
    EXPECT_EQ(Bytes(copy.begin(), copy.begin() + 2), (Bytes { 1, 2 }));
    const auto sums = columnChecksum(Bytes(17, 0xFF));
    EXPECT_EQ(sums[0], 0xFD); // three bytes of 0xFF in column 0 (0, 8, 16)
    EXPECT_EQ(sums[1], 0xFE);
}

TEST(Scramble, EveryKeyPairRoundTrips)
{
    const Bytes plain = toBytes("x\r\nShared:\r\n");
    for (int k1 = 0; k1 < 256; k1 += 17) {
        for (int k2 = 0; k2 < 256; k2 += 13) {
            Bytes block = buildBlock(
                plain, { std::uint8_t(k1), std::uint8_t(k2), std::uint8_t(k2), std::uint8_t(k1) });
            ASSERT_EQ(unscrambleBlock(block), ReadStatus::Ok);
            ASSERT_EQ(block, plain);
        }
    }
}

TEST(Scramble, EverySingleByteChangeIsCorrupt)
{
    const Bytes good = buildBlock(buildPlainLog(smallLog()), ScrambleKeys {});
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t delta : { std::uint8_t(1), std::uint8_t(0x80) }) {
            Bytes bad = good;
            bad[i] = static_cast<std::uint8_t>(bad[i] + delta);
            ASSERT_EQ(unscrambleBlock(bad), ReadStatus::Corrupt) << "byte " << i;
        }
    }
}

TEST(Scramble, ShortLayersAndPlainLogs)
{
    struct Case {
        const char *name;
        Bytes block;
    };
    const Case cases[] = {
        { "empty block", {} },
        { "9 bytes", Bytes(9, 0) },
        { "outer layer holding less than an inner tail", scrambleLayer(Bytes(9, 0), 1, 2) },
        { "plain log of 1 byte", buildBlock(Bytes { 'x' }, ScrambleKeys {}) },
        { "plain log of 0 bytes", buildBlock(Bytes {}, ScrambleKeys {}) },
    };
    for (const Case &c : cases) {
        Bytes block = c.block;
        EXPECT_EQ(unscrambleBlock(block), ReadStatus::Corrupt) << c.name;
    }
}

class LogFileTest : public ::testing::Test {
protected:
    std::string write(const Bytes &bytes)
    {
        const std::string path = m_dir.filePath("own").toStdString();
        uninstaller_test::writeFile(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }
    static Bytes program()
    {
        return toBytes("#!program bytes\x7f"
                       "ELF");
    }
    // The program, the block of `plain` and a trailer holding `offset` (the block's by default).
    static Bytes ownFile(const Bytes &plain, std::optional<std::uint32_t> offset = {})
    {
        Bytes file = program();
        const Bytes block = buildBlock(plain, ScrambleKeys {});
        file.insert(file.end(), block.begin(), block.end());
        const std::uint32_t value = offset.value_or(static_cast<std::uint32_t>(program().size()));
        for (int i = 0; i < 4; ++i)
            file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return file;
    }
    QTemporaryDir m_dir;
};

// The trailer holds the block's offset, little-endian; anything else is refused.
TEST_F(LogFileTest, TrailersAndBadFiles)
{
    const Bytes plain = buildPlainLog(smallLog());
    const Bytes block = buildBlock(plain, ScrambleKeys {});
    const auto programSize = static_cast<std::uint32_t>(program().size());
    struct Case {
        const char *name;
        Bytes file;
        ReadStatus expected;
    };
    Bytes good;
    ASSERT_EQ(ReadLog(write(ownFile(plain)), good), ReadStatus::Ok);
    EXPECT_EQ(good, plain);
    const Case cases[] = {
        { "3-byte file", Bytes { 1, 2, 3 }, ReadStatus::Corrupt },
        { "trailer only", Bytes { 0, 0, 0, 0 }, ReadStatus::Corrupt },
        { "offset at the trailer", ownFile(plain, programSize + std::uint32_t(block.size())),
            ReadStatus::Corrupt },
        { "offset past the end", ownFile(plain, 0xFFFFFFF0u), ReadStatus::Corrupt },
        { "offset one byte late", ownFile(plain, programSize + 1), ReadStatus::Corrupt },
        { "offset one byte early", ownFile(plain, programSize - 1), ReadStatus::Corrupt },
    };
    for (const Case &c : cases) {
        Bytes read { 9 };
        EXPECT_EQ(ReadLog(write(c.file), read), c.expected) << c.name;
        EXPECT_TRUE(read.empty()) << c.name;
    }
    Bytes read;
    EXPECT_EQ(ReadLog(m_dir.filePath("missing").toStdString(), read), ReadStatus::CannotOpen);
    EXPECT_STREQ(readStatusMessage(ReadStatus::CannotOpen),
        "Couldn't read uninstallation information. Aborting.");
    EXPECT_STREQ(
        readStatusMessage(ReadStatus::Corrupt), "Uninstallation information corrupt. Aborting.");
}

TEST(SplitLog, SmallLogComesApart)
{
    for (const bool ui : { true, false }) {
        LogDescription d = smallLog();
        d.userInterface = ui; // the first byte is a backslash only with a user-interface part
        UninstallLog log;
        ASSERT_TRUE(SplitLog(buildPlainLog(d), log));
        EXPECT_EQ(log.hasUserInterface, ui);
        EXPECT_EQ(log.firstLine.productName, "Tiny");
        EXPECT_EQ(log.firstLine.code, "1");
        EXPECT_EQ(log.firstLine.command, "/bin/true");
        EXPECT_EQ(log.shared, "/opt/tiny/lib/libshared.so|CTRL\r\n");
        EXPECT_EQ(log.files, "/opt/tiny/bin/tiny\r\n");
        EXPECT_EQ(log.directories, "/opt/tiny/bin\r\n/opt/tiny\r\n");
        EXPECT_EQ(log.registry, encodeRegistryTrees(d.registry));
        if (ui) {
            EXPECT_EQ(log.messages.language, 1u);
            EXPECT_EQ(log.messages.LookUpMessage(0), "%s Uninstall");
            EXPECT_EQ(log.messages.LookUpMessage(99), "");
        }
    }
}

TEST(SplitLog, MessageLookupTakesTheFirstEntryAndPicturesKeepLengthBeforeNumber)
{
    LogDescription d = smallLog();
    d.messages = { { 4, "first" }, { 4, "second" }, { 7, "" } };
    d.pictures = { { 9, { 'B', 'M', 1, 2 } }, { 3, {} } };
    UninstallLog log;
    ASSERT_TRUE(SplitLog(buildPlainLog(d), log));
    EXPECT_EQ(log.messages.LookUpMessage(4), "first");
    ASSERT_EQ(log.pictures.size(), 2u);
    EXPECT_EQ(log.pictures[0].number, 9u);
    EXPECT_EQ(log.pictures[0].bytes, (Bytes { 'B', 'M', 1, 2 }));
    EXPECT_EQ(log.pictures[1].number, 3u);
}

TEST(SplitLog, FirstLineFields)
{
    struct Case {
        std::string line;
        std::string product, code, command;
    };
    const Case cases[] = {
        { "P\000100\000run x"s, "P", "100", "run x" },
        { "Only product", "Only product", "", "" },
        { "P\0c"s, "P", "c", "" },
        { "P\0c\0cmd\0tail"s, "P", "c", "cmd\0tail"s },
    };
    for (const Case &c : cases) {
        const std::string text =
            c.line + "\r\nShared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n";
        UninstallLog log;
        ASSERT_TRUE(SplitLog(toBytes(text), log)) << c.product;
        EXPECT_EQ(log.firstLine.productName, c.product);
        EXPECT_EQ(log.firstLine.code, c.code);
        EXPECT_EQ(log.firstLine.command, c.command);
    }
}

TEST(SplitLog, HeadingRules)
{
    const std::string first = "P\0\0"s + "\r\n";
    struct Case {
        const char *name;
        std::string text;
        bool ok;
    };
    const Case cases[] = {
        { "all five", first + "Shared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n",
            true },
        { "ignored text before Shared",
            first + "junk\r\nShared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n",
            true },
        { "Files missing", first + "Shared:\r\nBackups:\r\nDirectories:\r\nRegistry:\r\n", false },
        { "out of order", first + "Backups:\r\nShared:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n",
            false },
        { "heading inside a line",
            first + "Shared:\r\nx Backups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n", false },
        { "heading without CRLF",
            first + "Shared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:", false },
        { "no first line end", "P\0\0"s, false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(splits(toBytes(c.text)), c.ok) << c.name;
}

TEST(SplitLog, BackupLines)
{
    const std::string head = "P\0\0"s + "\r\nShared:\r\nBackups:\r\n";
    const std::string tail = "Files:\r\nDirectories:\r\nRegistry:\r\n";
    struct Case {
        const char *name;
        std::string line;
        bool ok;
    };
    const Case cases[] = {
        { "six fields", "/b\t/i\t1\t2\t3\t4", true },
        { "largest numbers", "/b\t/i\t4294967295\t0\t0\t0", true },
        { "short lines are ignored", "ab", true },
        { "five fields", "/b\t/i\t1\t2\t3", false },
        { "not decimal", "/b\t/i\t0x1\t2\t3\t4", false },
        { "past 32 bits", "/b\t/i\t4294967296\t2\t3\t4", false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(splits(toBytes(head + c.line + "\r\n" + tail)), c.ok) << c.name;
    BackupEntry entry;
    ASSERT_TRUE(parseBackupLine("b\ti\t1\t2\t3\t4", entry));
    EXPECT_EQ(entry.backupPath, "b");
    EXPECT_EQ(entry.installedPath, "i");
    EXPECT_EQ(entry.versionLow, 2u);
    EXPECT_EQ(entry.timeLow, 4u);
}

TEST(SplitLog, EveryPathMustBeAbsoluteWithoutControlCharacters)
{
    struct Case {
        const char *name;
        void (*change)(LogDescription &);
        bool ok;
    };
    const Case cases[] = {
        { "absolute 1252 paths", [](LogDescription &d) { d.files = { "/opt/d\xe5ta \x80" }; },
            true },
        { "lines of 2 characters are no paths", [](LogDescription &d) { d.files = { "ab" }; },
            true },
        { "relative file", [](LogDescription &d) { d.files = { "bin/tiny" }; }, false },
        { "relative shared path", [](LogDescription &d) { d.shared = { "lib/x.so|CTRL" }; },
            false },
        { "empty shared path", [](LogDescription &d) { d.shared = { "|CTRL" }; }, false },
        { "relative backup copy",
            [](LogDescription &d) { d.backups = { backupLine("bak/a", "/etc/a", 0, 0, 1) }; },
            false },
        { "NUL in a file", [](LogDescription &d) { d.files = { "/opt/tiny\0/x"s }; }, false },
        { "line feed in a folder", [](LogDescription &d) { d.directories = { "/opt/a\nb" }; },
            false },
        { "undefined 1252 byte", [](LogDescription &d) { d.files = { "/opt/\x81" }; }, false },
    };
    for (const Case &c : cases) {
        LogDescription d = smallLog();
        c.change(d);
        EXPECT_EQ(splits(buildPlainLog(d)), c.ok) << c.name;
    }
}

TEST(SplitLog, PlainLogTruncatedAtEveryOffset)
{
    const Bytes plain = buildPlainLog(smallLog());
    const std::size_t registryStart =
        plain.size() - encodeRegistryTrees(smallLog().registry).size();
    for (std::size_t length = 0; length < plain.size(); ++length) {
        // Cut right after "Registry:\r\n" the log is whole, with an empty registry section.
        EXPECT_EQ(splits(Bytes(plain.begin(), plain.begin() + length)), length == registryStart)
            << "length " << length;
    }
}

TEST(SplitLog, LengthsAndCountsPastTheirBlock)
{
    auto uiLog = [](const Bytes &messages, const Bytes &windowTemplate, const Bytes &pictures) {
        Bytes ui;
        for (const Bytes *block : { &messages, &windowTemplate, &pictures }) {
            appendBe32(ui, static_cast<std::uint32_t>(block->size()));
            ui.insert(ui.end(), block->begin(), block->end());
        }
        Bytes plain = { '\\', 0 };
        appendBe32(plain, static_cast<std::uint32_t>(ui.size()));
        plain.insert(plain.end(), ui.begin(), ui.end());
        appendText(
            plain, "P\0\0"s + "\r\nShared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n");
        return plain;
    };
    const Bytes goodTemplate = defaultWindowTemplate();
    auto table = [](std::uint32_t count, std::uint32_t length) {
        Bytes b;
        appendBe32(b, 1);
        appendBe32(b, count);
        appendBe32(b, 0);
        appendBe32(b, length);
        appendText(b, "abc");
        return b;
    };
    auto pictures = [](std::uint32_t count, std::uint32_t length) {
        Bytes b;
        appendBe32(b, count);
        appendBe32(b, length);
        appendBe32(b, 1);
        appendText(b, "BM");
        return b;
    };
    Bytes badUiLength = uiLog(table(1, 3), goodTemplate, pictures(1, 2));
    badUiLength[5] = static_cast<std::uint8_t>(badUiLength[5] + 200);
    Bytes hugeUiLength = badUiLength;
    hugeUiLength[2] = 0xFF;
    struct Case {
        const char *name;
        Bytes plain;
        bool ok;
    };
    const Case cases[] = {
        { "good", uiLog(table(1, 3), goodTemplate, pictures(1, 2)), true },
        { "empty message table and pictures", uiLog({}, goodTemplate, {}), true },
        { "message count absurd", uiLog(table(0xFFFFFFFF, 3), goodTemplate, pictures(1, 2)),
            false },
        { "message text past its block", uiLog(table(1, 4), goodTemplate, pictures(1, 2)), false },
        { "message length absurd", uiLog(table(1, 0xFFFFFFF0), goodTemplate, pictures(1, 2)),
            false },
        { "picture length past its block", uiLog(table(1, 3), goodTemplate, pictures(1, 3)),
            false },
        { "picture count absurd", uiLog(table(1, 3), goodTemplate, pictures(0x7FFFFFFF, 2)),
            false },
        { "no window template", uiLog(table(1, 3), {}, pictures(1, 2)), false },
        { "template cut short",
            uiLog(table(1, 3), Bytes(goodTemplate.begin(), goodTemplate.end() - 5), pictures(1, 2)),
            false },
        { "UI length past the log", badUiLength, false },
        { "UI length absurd", hugeUiLength, false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(splits(c.plain), c.ok) << c.name;
}

TEST(RegistryTree, NodeSizesAndBounds)
{
    Bytes empty8(8, 0);
    Bytes four;
    for (int i = 0; i < 4; ++i)
        four.insert(four.end(), empty8.begin(), empty8.end());
    ByteReader reader(empty8);
    ASSERT_TRUE(skipRegistryNode(reader, 0));
    EXPECT_EQ(reader.position(), 8u); // counts 0 and 0: one 8-byte node

    auto deep = [](int levels) {
        Bytes b;
        for (int i = 0; i < levels; ++i) {
            appendBe32(b, 0);
            appendBe32(b, 1);
            appendBe32(b, 1);
            b.push_back('k');
            b.push_back(0);
        }
        appendBe32(b, 0);
        appendBe32(b, 0);
        for (int i = 0; i < 3; ++i)
            b.insert(b.end(), 8, 0);
        return b;
    };
    Bytes hugeCount(4, 0);
    appendBe32(hugeCount, 0xFFFFFFFF);
    struct Case {
        const char *name;
        Bytes section;
        bool ok;
    };
    const Case cases[] = {
        { "empty section", {}, true },
        { "four empty trees", four, true },
        { "a byte short", Bytes(four.begin(), four.end() - 1), false },
        { "a byte over",
            [&] {
                Bytes b = four;
                b.push_back(0);
                return b;
            }(),
            false },
        { "nesting within bounds", deep(kMaxRegistryDepth), true },
        { "nesting too deep", deep(kMaxRegistryDepth + 1), false },
        { "absurd subkey count", hugeCount, false },
        { "name without terminator",
            [] {
                Bytes b;
                appendBe32(b, 1);
                appendText(b, "name");
                return b;
            }(),
            false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(isRegistrySectionWellFormed(c.section), c.ok) << c.name;
}

TEST(Codepage, FoldingKnowsOnlyAsciiAndThreeLetters)
{
    EXPECT_TRUE(equalsNoCase("|ctrl", "|CTRL"));
    EXPECT_TRUE(equalsNoCase("\xe5\xe4\xf6", "\xc5\xc4\xd6")); // å ä ö
    EXPECT_FALSE(equalsNoCase("\xe9", "\xc9")); // é is not folded
    EXPECT_FALSE(equalsNoCase("abc", "abcd"));
    EXPECT_EQ(foldCase('{'), '{');
    EXPECT_EQ(foldCase(0xff), 0xff);
}

TEST(Codepage, EveryByteSurvivesUtf8AndBack)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xe2\x82\xac"); // euro sign
    EXPECT_EQ(cp1252ToQString("\xe5").at(0), QChar(0xe5));
    EXPECT_FALSE(utf8ToCp1252("\xe4\xb8\xad").has_value()); // a CJK character
    EXPECT_FALSE(utf8ToCp1252("\xc3").has_value()); // cut short
}

} // namespace
