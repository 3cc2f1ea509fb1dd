// SPDX-License-Identifier: GPL-3.0-or-later
// The context follows the render lock: whoever holds the lock draws, and the hand-over between
// threads keeps every frame intact.
#include "gl_test_scene.h"

#include <atomic>
#include <thread>

namespace {

struct HookCounts {
    int acquired = 0;
    int released = 0;
};

void CountAcquire(void* data) { ++static_cast<HookCounts*>(data)->acquired; }
void CountRelease(void* data) { ++static_cast<HookCounts*>(data)->released; }

} // namespace

TEST(CriticalSectionHooks, RunOnlyWhenTheOutermostHoldBeginsAndEnds)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    HookCounts counts;
    section.onAcquire = &CountAcquire;
    section.onRelease = &CountRelease;
    section.hookData = &counts;
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    ASSERT_EQ(TryEnterCriticalSection(&section), TRUE);
    EXPECT_EQ(counts.acquired, 1);
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    EXPECT_EQ(counts.released, 0);
    LeaveCriticalSection(&section);
    EXPECT_EQ(counts.released, 1);
    EXPECT_EQ(section.recursionCount, 0);
    ASSERT_EQ(TryEnterCriticalSection(&section), TRUE);
    LeaveCriticalSection(&section);
    EXPECT_EQ(counts.acquired, 2);
    EXPECT_EQ(counts.released, 2);
    DeleteCriticalSection(&section);
}

class GlContextHandOver : public GlScene {
protected:
    void TearDown() override
    {
        // The device gives the lock its hooks back when it goes.
        GlScene::TearDown();
        device = nullptr;
        EXPECT_EQ(renderLock.onAcquire, nullptr);
        EXPECT_EQ(renderLock.hookData, nullptr);
    }

    CRITICAL_SECTION renderLock;
};

TEST_F(GlContextHandOver, TwoThreadsTakingTurnsUnderTheLockEachDrawAndReadBack)
{
    InitializeCriticalSection(&renderLock);
    Gl().AttachContextLock(&renderLock);
    std::atomic<int> turn{0};
    std::atomic<int> failures{0};
    constexpr int Rounds = 6;
    const auto worker = [&](int self, D3DCOLOR color, int r, int g) {
        for (int round = 0; round < Rounds; ++round) {
            while (turn.load() % 2 != self) {
                std::this_thread::yield();
            }
            EnterCriticalSection(&renderLock);
            bool ok = device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0) == D3D_OK;
            ok = ok && DrawRect(8, 8, 56, 56, color) == D3D_OK;
            const Rgb pixel = Pixel(32, 32);
            ok = ok && pixel.r == r && pixel.g == g && Pixel(2, 2).r == 0;
            ok = ok && device->Present(nullptr, nullptr, nullptr, nullptr) == D3D_OK;
            LeaveCriticalSection(&renderLock);
            if (!ok) {
                ++failures;
            }
            ++turn;
        }
    };
    std::thread red(worker, 0, 0xFFFF0000u, 255, 0);
    std::thread green(worker, 1, 0xFF00FF00u, 0, 255);
    red.join();
    green.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(turn.load(), 2 * Rounds);
    // A call made without holding the lock takes it for its GL work: the window thread painting.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(5, 5).b, 255);
}
