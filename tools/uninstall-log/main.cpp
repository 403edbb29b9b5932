// uninstall-log-writer: builds an uninstall log from a readable description and appends it to a
// copy of the uninstaller, as an installer or packager does.
//
//   uninstall-log-writer --uninstaller PATH --output PATH [--plain PATH] [--count-shared]
//                        DESCRIPTION
//
// --plain also writes the unscrambled log, for looking at or for seeding a fuzzer. --count-shared
// is for an installer writing the log as it installs: each [shared] file counts one more user in
// the registry store's shared-file counts, which the uninstaller counts down again.
#include "tools/uninstall-log/description.h"
#include "tools/uninstall-log/log_writer.h"
#include "platform/registry/registry.h"
#include "uninstaller/engine/removal_engine.h"
#include "uninstaller/log/codepage.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool countSharedUsers(const std::vector<std::string> &shared)
{
    for (const std::string &line : shared) {
        const std::string valueName = uninstaller::log::cp1252ToUtf8(line.substr(0, line.find('|')));
        DWORD count = 0;
        if (platform::registry::readDword(HKEY_LOCAL_MACHINE, uninstaller::engine::kSharedDllsKey,
                valueName, count) != ERROR_SUCCESS)
            count = 0;
        if (platform::registry::writeDword(HKEY_LOCAL_MACHINE, uninstaller::engine::kSharedDllsKey,
                valueName, count + 1) != ERROR_SUCCESS) {
            std::fprintf(stderr, "cannot count the users of %s in the registry store\n",
                valueName.c_str());
            return false;
        }
    }
    return true;
}

int run(int argc, char **argv)
{
    std::string uninstaller;
    std::string output;
    std::string plainOutput;
    std::string description;
    bool countShared = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--uninstaller" && i + 1 < argc) {
            uninstaller = argv[++i];
        } else if (arg == "--output" && i + 1 < argc) {
            output = argv[++i];
        } else if (arg == "--plain" && i + 1 < argc) {
            plainOutput = argv[++i];
        } else if (arg == "--count-shared") {
            countShared = true;
        } else if (description.empty() && arg.rfind("--", 0) != 0) {
            description = arg;
        } else {
            description.clear();
            break;
        }
    }
    if (uninstaller.empty() || output.empty() || description.empty()) {
        std::fprintf(stderr,
            "usage: %s --uninstaller PATH --output PATH [--plain PATH] [--count-shared] "
            "DESCRIPTION\n", argv[0]);
        return 2;
    }

    std::ifstream in(description, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", description.c_str());
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uninstall_log_writer::ParsedDescription parsed;
    std::string error;
    const std::string base = std::filesystem::path(description).parent_path().string();
    if (!uninstall_log_writer::parseDescription(text, base, parsed, error)) {
        std::fprintf(stderr, "%s: %s\n", description.c_str(), error.c_str());
        return 1;
    }
    if (parsed.log.userInterface && parsed.log.windowTemplate.empty())
        parsed.log.windowTemplate = uninstall_log_writer::defaultWindowTemplate();

    const auto plain = uninstall_log_writer::buildPlainLog(parsed.log);
    if (!plainOutput.empty()) {
        std::ofstream out(plainOutput, std::ios::binary);
        out.write(reinterpret_cast<const char *>(plain.data()),
            static_cast<std::streamsize>(plain.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", plainOutput.c_str());
            return 1;
        }
    }
    const auto block = uninstall_log_writer::buildBlock(plain, parsed.keys);
    if (!uninstall_log_writer::appendLog(uninstaller, output, block, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // Counted only once the uninstaller that counts them down again is written.
    if (countShared && !countSharedUsers(parsed.log.shared))
        return 1;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception &e) {
        // A file that opens but cannot be read (a folder, say) ends up here.
        std::fprintf(stderr, "cannot read an input: %s\n", e.what());
        return 1;
    }
}
