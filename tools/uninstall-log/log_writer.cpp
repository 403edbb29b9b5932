#include "tools/uninstall-log/log_writer.h"

#include "uninstaller/log/window_template.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace uninstall_log_writer {

RegistrySubkey *RegistryNode::findSubkey(const std::string &name)
{
    for (RegistrySubkey &subkey : subkeys) {
        if (subkey.name == name)
            return &subkey;
    }
    return nullptr;
}

RegistryNode &RegistryNode::child(const std::string &name)
{
    if (RegistrySubkey *found = findSubkey(name))
        return found->node.front();
    subkeys.push_back({ 0, name, { RegistryNode {} } });
    return subkeys.back().node.front();
}

void appendBe32(std::vector<std::uint8_t> &out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void appendBe16(std::vector<std::uint8_t> &out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void appendText(std::vector<std::uint8_t> &out, const std::string &text)
{
    out.insert(out.end(), text.begin(), text.end());
}

namespace {

void encodeNode(const RegistryNode &node, std::vector<std::uint8_t> &out)
{
    appendBe32(out, static_cast<std::uint32_t>(node.values.size()));
    for (const RegistryValue &value : node.values) {
        appendText(out, value.name);
        out.push_back(0);
        appendBe32(out, value.deleteFlag);
    }
    appendBe32(out, static_cast<std::uint32_t>(node.subkeys.size()));
    for (const RegistrySubkey &subkey : node.subkeys) {
        appendBe32(out, subkey.deleteFlag);
        appendText(out, subkey.name);
        out.push_back(0);
        encodeNode(subkey.node.front(), out);
    }
}

void appendCounted(std::vector<std::uint8_t> &out, std::span<const std::uint8_t> bytes)
{
    appendBe32(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void appendSection(
    std::vector<std::uint8_t> &out, const char *heading, const std::vector<std::string> &lines)
{
    appendText(out, heading);
    appendText(out, "\r\n");
    for (const std::string &line : lines) {
        appendText(out, line);
        appendText(out, "\r\n");
    }
}

void appendCountedText(std::vector<std::uint8_t> &out, const std::string &text)
{
    appendBe32(out, static_cast<std::uint32_t>(text.size()));
    appendText(out, text);
}

} // namespace

std::vector<std::uint8_t> encodeRegistryNode(const RegistryNode &node)
{
    std::vector<std::uint8_t> out;
    encodeNode(node, out);
    return out;
}

std::vector<std::uint8_t> encodeRegistryTrees(const std::array<RegistryNode, 4> &roots)
{
    std::vector<std::uint8_t> out;
    for (const RegistryNode &root : roots)
        encodeNode(root, out);
    return out;
}

std::string backupLine(const std::string &backupPath, const std::string &installedPath,
    std::uint32_t versionHigh, std::uint32_t versionLow, std::uint64_t fileTime)
{
    return backupPath + '\t' + installedPath + '\t' + std::to_string(versionHigh) + '\t' +
        std::to_string(versionLow) + '\t' + std::to_string(fileTime >> 32) + '\t' +
        std::to_string(fileTime & 0xFFFFFFFFu);
}

std::vector<std::uint8_t> buildPlainLog(const LogDescription &d)
{
    std::vector<std::uint8_t> out;
    if (d.userInterface) {
        std::vector<std::uint8_t> messages;
        appendBe32(messages, d.language);
        appendBe32(messages, static_cast<std::uint32_t>(d.messages.size()));
        for (const auto &[key, text] : d.messages) {
            appendBe32(messages, key);
            appendCountedText(messages, text);
        }
        std::vector<std::uint8_t> pictures;
        appendBe32(pictures, static_cast<std::uint32_t>(d.pictures.size()));
        for (const LogPicture &picture : d.pictures) {
            appendBe32(pictures, static_cast<std::uint32_t>(picture.bytes.size()));
            appendBe32(pictures, picture.number);
            pictures.insert(pictures.end(), picture.bytes.begin(), picture.bytes.end());
        }
        std::vector<std::uint8_t> ui;
        appendCounted(ui, messages);
        appendCounted(ui, d.windowTemplate);
        appendCounted(ui, pictures);
        out.push_back('\\');
        out.push_back(d.option);
        appendCounted(out, ui);
    }
    appendText(out, d.productName);
    out.push_back(0);
    appendText(out, d.code);
    out.push_back(0);
    appendText(out, d.command);
    appendText(out, "\r\n");
    appendSection(out, "Shared:", d.shared);
    appendSection(out, "Backups:", d.backups);
    appendSection(out, "Files:", d.files);
    appendSection(out, "Directories:", d.directories);
    appendText(out, "Registry:\r\n");
    if (d.hasRegistry) {
        const auto trees = encodeRegistryTrees(d.registry);
        out.insert(out.end(), trees.begin(), trees.end());
    }
    return out;
}

std::vector<std::uint8_t> scrambleLayer(
    std::span<const std::uint8_t> body, std::uint8_t step, std::uint8_t start)
{
    std::vector<std::uint8_t> out;
    out.reserve(body.size() + 10);
    std::uint8_t a = static_cast<std::uint8_t>(step + start);
    for (std::uint8_t byte : body) {
        out.push_back(static_cast<std::uint8_t>(byte + a));
        a = static_cast<std::uint8_t>(a + step);
    }
    out.push_back(step);
    out.push_back(start);
    std::array<std::uint8_t, 8> sums {};
    for (std::size_t i = 0; i < out.size(); ++i)
        sums[i % 8] = static_cast<std::uint8_t>(sums[i % 8] + out[i]);
    out.insert(out.end(), sums.begin(), sums.end());
    return out;
}

std::vector<std::uint8_t> buildBlock(std::span<const std::uint8_t> plain, const ScrambleKeys &keys)
{
    const auto inner = scrambleLayer(plain, keys.innerStep, keys.innerStart);
    return scrambleLayer(inner, keys.outerStep, keys.outerStart);
}

bool appendLog(const std::string &uninstallerPath, const std::string &outputPath,
    std::span<const std::uint8_t> block, std::string &error)
{
    std::ifstream in(uninstallerPath, std::ios::binary);
    if (!in) {
        error = "cannot read the uninstaller " + uninstallerPath;
        return false;
    }
    const std::vector<char> program(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (program.size() > 0xFFFFFFFFu) {
        error = "the uninstaller is too large for a 32-bit log offset";
        return false;
    }
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot write " + outputPath;
        return false;
    }
    const auto offset = static_cast<std::uint32_t>(program.size());
    const char trailer[4] = { static_cast<char>(offset), static_cast<char>(offset >> 8),
        static_cast<char>(offset >> 16), static_cast<char>(offset >> 24) };
    out.write(program.data(), static_cast<std::streamsize>(program.size()));
    out.write(
        reinterpret_cast<const char *>(block.data()), static_cast<std::streamsize>(block.size()));
    out.write(trailer, 4);
    out.close();
    if (!out) {
        error = "cannot write " + outputPath;
        return false;
    }
    std::error_code ec;
    std::filesystem::permissions(outputPath,
        std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
            std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
            std::filesystem::perms::others_exec,
        ec);
    return true;
}

namespace {

// Window and control style bits the template carries as the system defines them.
constexpr std::uint32_t kWsChild = 0x40000000;
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsCaption = 0x00C00000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kColourWindowText = 0x1000000;
constexpr std::uint32_t kColourButtonFace = 0x3000000;
constexpr std::int32_t kNoPicture = -2;

uninstaller::log::TemplateControl Control(std::uint32_t style, std::uint32_t kind,
    std::uint32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
    std::string text)
{
    uninstaller::log::TemplateControl c;
    c.style = kWsChild | style;
    c.kind = kind;
    c.number = number;
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    c.textColour = kColourWindowText;
    c.backgroundColour = kColourButtonFace;
    c.text = std::move(text);
    c.picture = kNoPicture;
    return c;
}

} // namespace

std::vector<std::uint8_t> defaultWindowTemplate()
{
    uninstaller::log::WindowTemplate tpl;
    tpl.version = 4;
    // The sizes are the outer window with a 2-pixel frame and an 18-pixel caption.
    tpl.style = kWsVisible | kWsCaption | kWsSysMenu;
    tpl.positionCode = 4;
    tpl.width = 400;
    tpl.height = 262;
    tpl.fontSize = 9;
    tpl.fontFace = "Liberation Sans";
    tpl.title = "Uninstall";
    const std::uint32_t shown = kWsVisible;
    // The buttons start disabled: the front end enables Close at the end, Details on failures.
    const std::uint32_t idle = kWsVisible | kWsDisabled;
    tpl.controls = {
        Control(shown, 1, 57, 16, 12, 360, 20, "Removing %s from your computer."),
        Control(shown, 1, 61, 16, 40, 360, 18, "Shared files released"),
        Control(shown, 1, 62, 16, 60, 360, 18, "Backed-up files handled"),
        Control(shown, 1, 63, 16, 80, 360, 18, "Files removed"),
        Control(shown, 1, 64, 16, 100, 360, 18, "Folders removed"),
        Control(shown, 1, 65, 16, 120, 360, 18, "Registry entries removed"),
        Control(shown, 1, 71, 16, 150, 360, 18, "Uninstallation complete."),
        Control(shown, 1, 72, 16, 170, 360, 18, "Some items could not be removed."),
        Control(idle, 2, 54, 180, 200, 90, 26, "&Details..."),
        Control(idle, 2, 55, 280, 200, 90, 26, "&Close"),
    };
    return uninstaller::log::encodeWindowTemplate(tpl);
}

std::vector<std::pair<std::uint32_t, std::string>> defaultMessages()
{
    return {
        { 0, "%s Uninstall" },
        { 1, "Are you sure you want to completely remove %s and all of its components?" },
        { 2, "You do not have the rights needed to remove this program." },
        { 3, "Do you want to restore the files that were replaced during installation?" },
        { 4, "The shared file\r\n%s\r\nis no longer used by any program. Remove it?" },
        { 5, "These files could not be removed:" },
        { 6, "These folders could not be removed:" },
        { 7, "These registry keys could not be removed:" },
        { 8, "Some files will be removed when the computer restarts. Restart now?" },
        { 9, "Yes to &all" },
        { 10, "No to a&ll" },
        { 11, "&Yes" },
        { 12, "&No" },
    };
}

} // namespace uninstall_log_writer
