// Writers in several threads and several processes sharing one file never lose
// each other's values.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "RegistryTestUtil.h"
#include "TestEnv.h"
#include "platform/registry/Registry.h"

namespace {

using registry::Store;
using registry::Value;

std::string Name(int writer, int i) {
    return "w" + std::to_string(writer) + "_" + std::to_string(i);
}

void ExpectAllValues(const Store& store, int writers, int perWriter) {
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < perWriter; ++i)
            EXPECT_EQ(store.Get("Software\\Shared\\Key", Name(w, i)),
                      Value::Dword(static_cast<std::uint32_t>(w * 1000 + i)))
                << Name(w, i);
}

TEST(registryConcurrency, ThreadsWritingDifferentValuesLoseNothing) {
    testenv::TempDir dir;
    const auto file = dir / "sub" / "user.reg";
    constexpr int kThreads = 6;
    constexpr int kPerThread = 15;
    Store shared(file);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Store own(file);
            // Half of the threads share one Store object, half have their own.
            Store& store = (t % 2 == 0) ? shared : own;
            for (int i = 0; i < kPerThread; ++i)
                if (!store.Set("Software\\Shared\\Key", Name(t, i),
                               Value::Dword(static_cast<std::uint32_t>(t * 1000 + i))))
                    ++failures;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    ExpectAllValues(Store(file), kThreads, kPerThread);
}

TEST(registryConcurrency, ProcessesWritingDifferentValuesLoseNothing) {
    testenv::TempDir dir;
    const auto file = dir / "user.reg";
    constexpr int kProcesses = 4;
    constexpr int kPerProcess = 15;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Store store(file);
            int failed = 0;
            for (int i = 0; i < kPerProcess; ++i)
                if (!store.Set("Software\\Shared\\Key", Name(p, i),
                               Value::Dword(static_cast<std::uint32_t>(p * 1000 + i))))
                    ++failed;
            ::_exit(failed == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ExpectAllValues(Store(file), kProcesses, kPerProcess);
}

}  // namespace
