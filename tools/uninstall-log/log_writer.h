// The installer's side of the uninstall log: builds the plain log from a description, scrambles
// it in two layers and appends it with its trailer to a copy of the uninstaller. Tests, the demo
// and a packager build logs with it. All texts here are already Windows-1252 bytes; the
// description reader converts from UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace uninstall_log_writer {

struct RegistryNode;

struct RegistryValue {
    std::string name;
    std::uint32_t deleteFlag = 0;
};

struct RegistrySubkey {
    std::uint32_t deleteFlag = 0;
    std::string name;
    std::vector<RegistryNode> node; // exactly one element; a vector keeps the type recursive
};

struct RegistryNode {
    std::vector<RegistryValue> values;
    std::vector<RegistrySubkey> subkeys;

    // The child named `name`, created (with delete flag 0) when missing.
    RegistryNode &child(const std::string &name);
    RegistrySubkey *findSubkey(const std::string &name);
};

struct LogPicture {
    std::uint32_t number = 0;
    std::vector<std::uint8_t> bytes;
};

struct LogDescription {
    bool userInterface = true;
    std::uint8_t option = 0;
    std::uint32_t language = 1;
    std::vector<std::pair<std::uint32_t, std::string>> messages;
    std::vector<std::uint8_t> windowTemplate;
    std::vector<LogPicture> pictures;

    std::string productName;
    std::string code;
    std::string command;

    std::vector<std::string> shared;
    std::vector<std::string> backups; // six tab-separated fields per line
    std::vector<std::string> files;
    std::vector<std::string> directories;
    // Classes root, current user, local machine, users. With `hasRegistry` false the registry
    // section is empty.
    bool hasRegistry = false;
    std::array<RegistryNode, 4> registry;
};

struct ScrambleKeys {
    std::uint8_t outerStep = 0x11;
    std::uint8_t outerStart = 0x05;
    std::uint8_t innerStep = 0xC9;
    std::uint8_t innerStart = 0x21;
};

void appendBe32(std::vector<std::uint8_t> &out, std::uint32_t value);
void appendBe16(std::vector<std::uint8_t> &out, std::uint16_t value);
void appendText(std::vector<std::uint8_t> &out, const std::string &text);

std::vector<std::uint8_t> encodeRegistryNode(const RegistryNode &node);
std::vector<std::uint8_t> encodeRegistryTrees(const std::array<RegistryNode, 4> &roots);

// A backups line from its six fields.
std::string backupLine(const std::string &backupPath, const std::string &installedPath,
    std::uint32_t versionHigh, std::uint32_t versionLow, std::uint64_t fileTime);

// The plain log: the optional user-interface part, the first line, the five sections.
std::vector<std::uint8_t> buildPlainLog(const LogDescription &description);

// One scrambled layer: the body scrambled, then step, start and the eight column checksums.
std::vector<std::uint8_t> scrambleLayer(
    std::span<const std::uint8_t> body, std::uint8_t step, std::uint8_t start);

// Inner layer first, then the outer one.
std::vector<std::uint8_t> buildBlock(std::span<const std::uint8_t> plain, const ScrambleKeys &keys);

// Copies `uninstallerPath` to `outputPath` (executable), appends `block` and the 4-byte
// little-endian offset of the block. False with a message in `error`.
bool appendLog(const std::string &uninstallerPath, const std::string &outputPath,
    std::span<const std::uint8_t> block, std::string &error);

// A small progress window template (version 4): the product text 57, the five progress marks
// 61 to 65, the end markers 71 and 72, the Details button 54 and the Close button 55.
std::vector<std::uint8_t> defaultWindowTemplate();

// The message texts (keys 0 to 12) of an English uninstaller.
std::vector<std::pair<std::uint32_t, std::string>> defaultMessages();

} // namespace uninstall_log_writer
