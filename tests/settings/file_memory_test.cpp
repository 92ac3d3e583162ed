// Reading and saving a settings file costs memory in proportion to its
// bytes, not to its lines: a file of millions of empty lines once took
// seventy times its size. This file counts the bytes the test program holds
// through new and delete while the counter is armed, and keeps the peak.
#include "settings/settings_file.h"
#include "settings_test_support.h"
#include "support/sanitizers.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long long> g_held{0};
std::atomic<long long> g_peak{0};

void* counted(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (p && g_counting.load(std::memory_order_relaxed)) {
        long long held = g_held += (long long)malloc_usable_size(p);
        long long peak = g_peak.load();
        while (held > peak && !g_peak.compare_exchange_weak(peak, held)) {
        }
    }
    return p;
}

void uncounted(void* p)
{
    if (p && g_counting.load(std::memory_order_relaxed))
        g_held -= (long long)malloc_usable_size(p);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* p = counted(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }

// GCC pairs the free() below with the malloc() above only across the
// replacement, which it cannot see, and warns that they do not match.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace {

// The peak of bytes held while `work` runs, above what was held before.
template <class Work>
long long PeakBytesOf(Work work)
{
    g_held = 0;
    g_peak = 0;
    g_counting = true;
    work();
    g_counting = false;
    return g_peak.load();
}

// The largest file the reader takes, in the shapes that cost most per byte:
// empty lines of one byte each, and the shortest key lines.
TEST(SettingsFileMemory, ReadingAndSavingStayWithinThreeTimesTheFileSize)
{
    TempFolder folder;
    const std::string path = folder.file("Orvelune.ini");
    // A little below the 16 MiB the reader takes, so that the saved file,
    // a few hundred bytes longer, still reads back. Under the sanitizers,
    // where each byte costs many times as much, a quarter of that: the cost
    // per byte is what is measured.
    constexpr std::size_t kBytes = (testrig::kSanitized ? 4 : 16) * 1024 * 1024 - 4096;
    std::string shortest_keys;
    while (shortest_keys.size() + 4 <= kBytes)
        shortest_keys += "a=\r\n";
    const std::string shapes[] = {std::string(kBytes, '\n'), "[Section]\n" + std::string(kBytes - 10, '\n'),
                                  "[Section]\r\n" + shortest_keys.substr(11)};
    for (const std::string& bytes : shapes) {
        WriteBytes(path, bytes);
        const long long limit = 3 * (long long)kBytes;
        Settings s;
        long long load = PeakBytesOf([&] { LoadSettings(s, path); });
        EXPECT_LE(load, limit) << "loading took " << load << " bytes for a file of " << bytes.size();
        EXPECT_EQ(s.g_Speed, 15);
        s.g_Speed = 20;
        long long save = PeakBytesOf([&] { EXPECT_TRUE(save_settings_file(path, s).ok); });
        EXPECT_LE(save, limit) << "saving took " << save << " bytes for a file of " << bytes.size();
        EXPECT_EQ(Loaded(path).g_Speed, 20);
    }
}

} // namespace
