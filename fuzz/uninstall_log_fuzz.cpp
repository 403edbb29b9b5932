// Fuzz target for the uninstall log reader: the input is taken both as a plain log (the split,
// the tables, the sections, the registry dry walk) and as a scrambled block (both layers).
#include "uninstaller/log/log_file.h"
#include "uninstaller/log/registry_tree.h"
#include "uninstaller/log/uninstall_log.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

void exercise(std::span<const std::uint8_t> plain)
{
    using namespace uninstaller::log;
    UninstallLog log;
    if (!SplitLog(plain, log))
        return;
    // What the engine and the front end read from a log that passed.
    (void)log.messages.LookUpMessage(0);
    BackupEntry entry;
    for (const std::string *section : { &log.shared, &log.backups, &log.files, &log.directories }) {
        for (std::string_view line : sectionLines(*section)) {
            if (section == &log.backups && !parseBackupLine(line, entry))
                std::abort(); // SplitLog promised every backups line parses
            // ... and that the engine is given absolute paths without control characters only.
            const std::string_view path = section == &log.shared ? line.substr(0, line.find('|'))
                : section == &log.backups ? std::string_view(entry.backupPath)
                                          : line;
            if (pathFault(path) || (section == &log.backups && pathFault(entry.installedPath)))
                std::abort();
        }
    }
    if (!isRegistrySectionWellFormed(log.registry))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    exercise(input);
    std::vector<std::uint8_t> block(input.begin(), input.end());
    if (uninstaller::log::unscrambleBlock(block) == uninstaller::log::ReadStatus::Ok)
        exercise(block);
    (void)uninstaller::log::isRegistrySectionWellFormed(input);
    return 0;
}
