// Several processes on one store: concurrent writers lose nothing, and a writer killed at any
// moment leaves a whole file holding a prefix of its writes. The writers are the registry_writer
// helper, built next to this test.
#include "tests/platform/registry_test_support.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace registry_test;
namespace reg = platform::registry;

namespace {

std::string writerPath()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() +
        "/registry_writer";
}

// Starts the writer with its stdout on a pipe; returns its pid and the pipe's read end.
pid_t spawnWriter(const std::string &prefix, long count, bool ack, int &readEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const std::string path = writerPath();
    const std::string countText = std::to_string(count);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        const char *argv[] = { path.c_str(), prefix.c_str(), countText.c_str(),
            ack ? "ack" : nullptr, nullptr };
        ::execv(path.c_str(), const_cast<char **>(argv));
        ::_exit(127);
    }
    ::close(fds[1]);
    readEnd = fds[0];
    return pid;
}

int waitExit(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::size_t drain(int fd)
{
    std::size_t total = 0;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        total += n > 0 ? static_cast<std::size_t>(n) : 0;
    ::close(fd);
    return total;
}

struct Listed {
    LONG status = ERROR_SUCCESS;
    std::vector<std::pair<std::string, std::string>> values;
};

Listed listTestValues()
{
    Listed listed;
    HKEY key = nullptr;
    listed.status = RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Bidlark\\Test", 0, KEY_READ, &key);
    if (listed.status == ERROR_FILE_NOT_FOUND)
        listed.status = ERROR_SUCCESS; // killed before its first write: an empty prefix
    if (!key)
        return listed;
    char name[64];
    char data[128];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        const LONG status = RegEnumValue(
            key, i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &dataSize);
        if (status != ERROR_SUCCESS) {
            if (status != ERROR_NO_MORE_ITEMS)
                listed.status = status;
            break;
        }
        listed.values.emplace_back(name, data);
    }
    RegCloseKey(key);
    return listed;
}

std::string expectedName(const char *prefix, std::size_t i)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%06zu", prefix, i);
    return name;
}

} // namespace

TEST_F(StoreTest, TwoConcurrentWritersLoseNothing)
{
    constexpr long kPerWriter = 500;
    int outA = -1;
    int outB = -1;
    const pid_t a = spawnWriter("a", kPerWriter, false, outA);
    const pid_t b = spawnWriter("b", kPerWriter, false, outB);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(waitExit(a), 0);
    EXPECT_EQ(waitExit(b), 0);
    drain(outA);
    drain(outB);

    const Listed listed = listTestValues();
    ASSERT_EQ(listed.status, ERROR_SUCCESS);
    ASSERT_EQ(listed.values.size(), 2u * kPerWriter);
    std::size_t nextA = 0;
    std::size_t nextB = 0;
    // Each writer's values appear in its own order, interleaved with the other's.
    for (const auto &[name, data] : listed.values) {
        const bool isA = name[0] == 'a';
        std::size_t &next = isA ? nextA : nextB;
        EXPECT_EQ(name, expectedName(isA ? "a" : "b", next));
        EXPECT_EQ(data, name + "=data");
        ++next;
    }
    EXPECT_EQ(nextA, static_cast<std::size_t>(kPerWriter));
    EXPECT_EQ(nextB, static_cast<std::size_t>(kPerWriter));
}

TEST_F(StoreTest, KilledWriterLeavesAPrefixOfItsWrites)
{
    constexpr int kRounds = 200;
    std::mt19937 random(std::random_device {}());
    int killedMidWrite = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string dir = m_root + "/round" + std::to_string(round);
        ::setenv("BIDLARK_REGISTRY_DIR", dir.c_str(), 1);
        int out = -1;
        const pid_t writer = spawnWriter("v", 1000000, true, out);
        ASSERT_GT(writer, 0);
        // Half the rounds kill from the start (start-up, first file creation), half once writing.
        if (round % 2 == 1) {
            char first;
            ASSERT_EQ(::read(out, &first, 1), 1);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 15000)(random)));
        ::kill(writer, SIGKILL);
        EXPECT_EQ(waitExit(writer), 128 + SIGKILL);
        const std::size_t acknowledged = drain(out) + (round % 2 == 1 ? 1 : 0);

        std::error_code noDir; // killed before the folder existed
        for (const auto &entry : std::filesystem::directory_iterator(dir, noDir))
            killedMidWrite += entry.path().string().find(".tmp-") != std::string::npos;

        const Listed listed = listTestValues();
        ASSERT_EQ(listed.status, ERROR_SUCCESS);
        // Every write that returned is there, plus at most the one under way.
        ASSERT_GE(listed.values.size(), acknowledged);
        ASSERT_LE(listed.values.size(), acknowledged + 1);
        for (std::size_t i = 0; i < listed.values.size(); ++i) {
            ASSERT_EQ(listed.values[i].first, expectedName("v", i));
            ASSERT_EQ(listed.values[i].second, listed.values[i].first + "=data");
        }
        // The next writer clears what the killed one left behind and carries on from its state.
        ASSERT_EQ(reg::writeString(HKEY_CURRENT_USER, "Software\\Bidlark\\Test", "after", "x"),
            ERROR_SUCCESS);
        for (const auto &entry : std::filesystem::directory_iterator(dir))
            EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
        EXPECT_EQ(listTestValues().values.size(), listed.values.size() + 1);
        std::filesystem::remove_all(dir);
    }
    // Without kills that hit a write in flight the test would prove little.
    EXPECT_GT(killedMidWrite, 0);
    RecordProperty("killed_mid_write", killedMidWrite);
}

// A handle opened before another process changed the file sees the change.
TEST_F(StoreTest, OpenHandleSeesOtherProcessesWrites)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Bidlark\\Test", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(
        RegQueryValueEx(key, "w000002", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    int out = -1;
    const pid_t writer = spawnWriter("w", 3, false, out);
    ASSERT_EQ(waitExit(writer), 0);
    drain(out);
    EXPECT_EQ(RegQueryValueEx(key, "w000002", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof "w000002=data");

    // Deleted behind its back (here by a hand edit), the handle reports it.
    writeFile("HKEY_CURRENT_USER", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Bidlark]\n");
    EXPECT_EQ(RegQueryValueEx(key, "w000002", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    RegCloseKey(key);
}
