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
    uninstaller_test::deletedChild(d.registry[1].child("Software"), "Tiny");
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
}

// Any changed byte, and any block too short to hold its layers or a log, is refused.
TEST(Scramble, DamagedAndShortBlocksAreCorrupt)
{
    const Bytes good = buildBlock(buildPlainLog(smallLog()), ScrambleKeys {});
    for (std::size_t i = 0; i < good.size(); ++i) {
        for (std::uint8_t delta : { std::uint8_t(1), std::uint8_t(0x80) }) {
            Bytes bad = good;
            bad[i] = static_cast<std::uint8_t>(bad[i] + delta);
            ASSERT_EQ(unscrambleBlock(bad), ReadStatus::Corrupt) << "byte " << i;
        }
    }
    for (Bytes block : { Bytes {}, Bytes(9, 0), scrambleLayer(Bytes(9, 0), 1, 2),
             buildBlock(Bytes {}, ScrambleKeys {}) })
        EXPECT_EQ(unscrambleBlock(block), ReadStatus::Corrupt) << block.size() << " bytes";
}

// The trailer holds the block's offset, little-endian; anything else is refused.
TEST(LogFile, TrailersAndBadFiles)
{
    QTemporaryDir dir;
    const Bytes program = toBytes("#!program bytes\x7f"
                                  "ELF");
    const Bytes plain = buildPlainLog(smallLog());
    const Bytes block = buildBlock(plain, ScrambleKeys {});
    const auto programSize = static_cast<std::uint32_t>(program.size());
    // The program, the block and a trailer holding `offset`.
    auto ownFile = [&](std::uint32_t offset) {
        Bytes file = program;
        file.insert(file.end(), block.begin(), block.end());
        for (int i = 0; i < 4; ++i)
            file.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
        return file;
    };
    auto read = [&](const Bytes &file, Bytes &out) {
        const std::string path = dir.filePath("own").toStdString();
        uninstaller_test::writeFile(path, std::string(file.begin(), file.end()));
        return ReadLog(path, out);
    };
    Bytes good;
    ASSERT_EQ(read(ownFile(programSize), good), ReadStatus::Ok);
    EXPECT_EQ(good, plain);
    const std::pair<const char *, Bytes> cases[] = {
        { "trailer only", Bytes { 0, 0, 0, 0 } },
        { "offset at the trailer", ownFile(programSize + std::uint32_t(block.size())) },
        { "offset past the end", ownFile(0xFFFFFFF0u) },
        { "offset one byte late", ownFile(programSize + 1) },
        { "offset one byte early", ownFile(programSize - 1) },
    };
    for (const auto &[name, file] : cases) {
        Bytes out { 9 };
        EXPECT_EQ(read(file, out), ReadStatus::Corrupt) << name;
        EXPECT_TRUE(out.empty()) << name;
    }
}

// The first line's fields, the five headings (in order, each a whole line) and the backup lines.
// Missing headings and cut lines are the truncation test's.
TEST(SplitLog, FirstLineHeadingsAndBackupLines)
{
    const std::string headings =
        "\r\nShared:\r\nBackups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n";
    const std::string withBackup = "P\0\0"s + "\r\nShared:\r\nBackups:\r\n";
    const std::string afterBackup = "\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n";
    struct Case {
        std::string text;
        bool ok;
        std::string product = "P", code = {}, command = {};
    };
    const Case cases[] = {
        { "Only product" + headings, true, "Only product" },
        { "P\0c\0cmd\0tail"s + headings, true, "P", "c", "cmd\0tail"s },
        { "P\0\0\r\njunk"s + headings, true }, // text before Shared is ignored
        { "P\0\0\r\nBackups:\r\nShared:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n"s, false },
        { "P\0\0\r\nShared:\r\nx Backups:\r\nFiles:\r\nDirectories:\r\nRegistry:\r\n"s, false },
        { withBackup + "/b\t/i\t4294967295\t0\t0\t0" + afterBackup, true },
        { withBackup + "/b\t/i\t1\t2\t3" + afterBackup, false },
        { withBackup + "/b\t/i\t0x1\t2\t3\t4" + afterBackup, false },
        { withBackup + "/b\t/i\t4294967296\t2\t3\t4" + afterBackup, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        UninstallLog log;
        ASSERT_EQ(SplitLog(toBytes(c.text), log), c.ok);
        if (c.ok) {
            EXPECT_EQ(log.firstLine.productName, c.product);
            EXPECT_EQ(log.firstLine.code, c.code);
            EXPECT_EQ(log.firstLine.command, c.command);
        }
    }
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
        { "empty shared path", [](LogDescription &d) { d.shared = { "|CTRL" }; }, false },
        { "relative backup copy",
            [](LogDescription &d) { d.backups = { backupLine("bak/a", "/etc/a", 0, 0, 1) }; },
            false },
        { "NUL in a file", [](LogDescription &d) { d.files = { "/opt/tiny\0/x"s }; }, false },
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
        for (std::uint32_t v : { 1u, count, 0u, length })
            appendBe32(b, v);
        appendText(b, "abc");
        return b;
    };
    auto pictures = [](std::uint32_t count, std::uint32_t length) {
        Bytes b;
        for (std::uint32_t v : { count, length, 1u })
            appendBe32(b, v);
        appendText(b, "BM");
        return b;
    };
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
        { "picture count absurd", uiLog(table(1, 3), goodTemplate, pictures(0x7FFFFFFF, 2)),
            false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(splits(c.plain), c.ok) << c.name;
}

TEST(RegistryTree, SectionBounds)
{
    const Bytes four(4 * 8, 0); // four empty trees: counts 0 and 0 each
    auto deep = [](int levels) {
        Bytes b;
        for (int i = 0; i < levels; ++i) {
            for (std::uint32_t v : { 0u, 1u, 1u })
                appendBe32(b, v);
            b.push_back('k');
            b.push_back(0);
        }
        b.insert(b.end(), 4 * 8, 0);
        return b;
    };
    Bytes hugeCount(4, 0);
    appendBe32(hugeCount, 0xFFFFFFFF);
    Bytes unterminated;
    appendBe32(unterminated, 1);
    appendText(unterminated, "name");
    Bytes over = four;
    over.push_back(0);
    const std::tuple<const char *, Bytes, bool> cases[] = {
        { "four empty trees", four, true }, // shorter sections: every cut of a whole log
        { "a byte over", over, false },
        { "nesting within bounds", deep(kMaxRegistryDepth), true },
        { "nesting too deep", deep(kMaxRegistryDepth + 1), false },
        { "absurd subkey count", hugeCount, false },
        { "name without terminator", unterminated, false },
    };
    for (const auto &[name, section, ok] : cases)
        EXPECT_EQ(isRegistrySectionWellFormed(section), ok) << name;
}

TEST(Codepage, FoldingAndEveryByteThroughUtf8)
{
    // ASCII letters are seen folded in the engine's names; of the rest only å, ä and ö fold.
    EXPECT_TRUE(equalsNoCase("\xe5\xe4\xf6", "\xc5\xc4\xd6"));
    EXPECT_FALSE(equalsNoCase("\xe9", "\xc9")); // é
    EXPECT_EQ(foldCase('{'), '{');
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xe2\x82\xac"); // euro sign
    EXPECT_EQ(cp1252ToQString("\xe5").at(0), QChar(0xe5));
    EXPECT_FALSE(utf8ToCp1252("\xe4\xb8\xad").has_value()); // a CJK character
}

} // namespace
