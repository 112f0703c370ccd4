// Writers at the same time, in threads and in processes: none loses another's values.
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "registry_fixture.h"

namespace {

const char* const kOwnKey = "Software\\Velt\\Lumivex Saver";
constexpr int kWrites = 40;

// Each writer keeps its own key as well as the shared one, so key creation races too.
bool write_values(const std::string& who) {
    HKEY shared = nullptr;
    HKEY own = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &shared,
                        nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\" + who).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &own, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (DWORD i = 0; i < kWrites; ++i) {
        std::string name = who + " " + std::to_string(i);
        ok &= RegSetValueExA(shared, name.c_str(), 0, REG_DWORD,
                             reinterpret_cast<const std::uint8_t*>(&i), 4) == ERROR_SUCCESS;
        ok &= RegSetValueExA(own, "last", 0, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&i),
                             4) == ERROR_SUCCESS;
    }
    RegCloseKey(own);
    RegCloseKey(shared);
    return ok;
}

void expect_all_values(const std::vector<std::string>& writers) {
    HKEY shared = RegistryTest::open(kOwnKey);
    for (const auto& who : writers) {
        for (int i = 0; i < kWrites; ++i) {
            std::string name = who + " " + std::to_string(i);
            EXPECT_EQ(RegistryTest::query_number(shared, name.c_str()), DWORD(i)) << name;
        }
        HKEY own = RegistryTest::open(("Software\\" + who).c_str());
        EXPECT_EQ(RegistryTest::query_number(own, "last"), DWORD(kWrites - 1)) << who;
        RegCloseKey(own);
    }
    RegCloseKey(shared);
}

TEST_F(RegistryTest, ThreadsWritingAtOnceKeepEveryValue) {
    bool ok_a = false, ok_b = false, ok_c = false;
    std::thread a([&] { ok_a = write_values("alpha"); });
    std::thread b([&] { ok_b = write_values("beta"); });
    // A reader in between never sees a half-written file: the shared key is there once created.
    std::thread c([&] {
        ok_c = true;
        for (int i = 0; i < 200; ++i) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS) {
                RegCloseKey(key);
                ok_c &= RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) ==
                        ERROR_SUCCESS;
                RegCloseKey(key);
            }
        }
    });
    a.join();
    b.join();
    c.join();
    EXPECT_TRUE(ok_a && ok_b && ok_c);
    expect_all_values({"alpha", "beta"});
}

TEST_F(RegistryTest, ProcessesWritingAtOnceKeepEveryValue) {
    pid_t children[2];
    const char* names[2] = {"first", "second"};
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) ::_exit(write_values(names[i]) ? 0 : 1);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    expect_all_values({"first", "second"});
}

}  // namespace
