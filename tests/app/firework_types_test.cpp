// SPDX-License-Identifier: GPL-3.0-or-later
// The firework kinds: the 66 registered entries, the weighted pick of a click and its random points,
// what each kind's handler builds, and launching under the render lock.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <future>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "app/firework_types.h"
#include "app/launch_handlers.h"
#include "effects/random01.h"
#include "shells/bee_shell.h"
#include "shells/chrysanthemum_shell.h"
#include "shells/color_ramp.h"
#include "shells/layer_registry.h"
#include "shells/peony_shell.h"
#include "shells/ring_shell.h"
#include "shells/rising_shell.h"
#include "shells/saturn_shell.h"
#include "shells/spiral_shell.h"

namespace {

// What one click launched: the rising shell's path and its payload's layer.
struct Launched {
    D3DXVECTOR3 start;
    D3DXVECTOR3 end;
    int payloadLayer;

    bool operator==(const Launched& other) const
    {
        return std::memcmp(this, &other, sizeof(Launched)) == 0;
    }
};

std::vector<RisingShell*> QueuedShells()
{
    std::vector<RisingShell*> shells;
    for (FireObject* object = LayerRegistry[LayerRisingShell]->incomingList; object != nullptr;
         object = object->next) {
        shells.push_back(static_cast<RisingShell*>(object));
    }
    return shells;
}

// The payload of the only queued rising shell, as the kind's burst class.
template <typename Shell>
Shell* OnlyPayload()
{
    const std::vector<RisingShell*> shells = QueuedShells();
    if (shells.size() != 1 || shells[0]->payload == nullptr) {
        return nullptr;
    }
    return dynamic_cast<Shell*>(shells[0]->payload);
}

bool SameRamp(const ColorRamp& a, const ColorRamp& b)
{
    return std::memcmp(&a, &b, sizeof(ColorRamp)) == 0;
}

// The one queued shell's payload when it is a Shell with these stars, duration and ramp; else null.
template <typename Shell>
const Shell* BurstWith(int count, float duration, const ColorRamp& ramp)
{
    const Shell* shell = OnlyPayload<Shell>();
    if (shell == nullptr) {
        return nullptr;
    }
    EXPECT_EQ(shell->count, count);
    EXPECT_EQ(shell->duration, duration);
    EXPECT_TRUE(SameRamp(shell->ramp, ramp));
    return shell;
}

// The generator state from which the (draws)th draw gives value: the generator stepped backwards.
std::uint32_t StateBeforeDraws(int draws, int value)
{
    // Inverse of the multiplier modulo 2^32, by Newton's iteration.
    std::uint32_t inverse = 214013u;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - 214013u * inverse;
    }
    std::uint32_t state = static_cast<std::uint32_t>(value) << 16;
    for (int i = 0; i < draws; ++i) {
        state = (state - 2531011u) * inverse;
    }
    return state;
}

void ClearLayers()
{
    for (SceneLayer* layer : LayerRegistry) {
        layer->Clear();
    }
}

class FireworkTypesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildColorRamps();
        ResetRuntimeRand();
        RegisterFireworkKinds(registry);
    }
    void TearDown() override { ClearLayers(); }

    FireworkTypeRegistry registry;
};

void NoLaunch(FireworkTypeRegistry&, std::int32_t, float, float, float, float, float, float) {}

} // namespace

TEST_F(FireworkTypesTest, SixKindsGiveSixtySixEqualEntriesInRegistrationOrder)
{
    ASSERT_EQ(registry.count, 66);
    ASSERT_EQ(registry.entries.size(), 66u);
    EXPECT_EQ(registry.totalWeight, 66.0f);
    const char* kinds[] = {"菊", "蜂", "土星", "スパイラル", "牡丹", "リング"};
    const LaunchHandler handlers[] = {LaunchChrysanthemum, LaunchBee, LaunchSaturn,
                                      LaunchSpiral,        LaunchPeony, LaunchRing};
    for (int k = 0; k < 6; ++k) {
        for (int i = 0; i <= 10; ++i) {
            const FireworkType& entry = registry.entries[k * 11 + i];
            const bool random = i == 10;
            EXPECT_EQ(entry.id, (k + 1) * 1000 + (random ? 99 : i));
            EXPECT_EQ(entry.name, std::string(kinds[k]) + (random ? "_X" : "_" + std::to_string(i)));
            EXPECT_EQ(entry.weight, 1.0f);
            EXPECT_EQ(entry.cumulative, static_cast<float>(k * 11 + i + 1));
            EXPECT_EQ(entry.handler, handlers[k]);
        }
    }
}

TEST_F(FireworkTypesTest, ReRegisteringKeepsTheNameAndBadWeightsAreNeverPicked)
{
    FireworkTypeRegistry own;
    own.RegisterFireworkType(7, "heavy", 5.0f, NoLaunch);
    own.RegisterFireworkType(8, "nan", std::numeric_limits<float>::quiet_NaN(), LaunchRing);
    own.RegisterFireworkType(9, "negative", -3.0f, LaunchRing);
    own.RegisterFireworkType(10, nullptr, 2.0f, NoLaunch);
    own.RegisterFireworkType(7, "renamed", 1.0f, LaunchBee);
    own.FinishRegistry();

    ASSERT_EQ(own.count, 4);
    EXPECT_EQ(own.totalWeight, 3.0f);
    // Ascending weights; the two zero weights keep their order.
    EXPECT_EQ(own.entries[0].id, 8);
    EXPECT_EQ(own.entries[1].id, 9);
    EXPECT_EQ(own.entries[2].id, 7);
    EXPECT_EQ(own.entries[2].name, "heavy");
    EXPECT_EQ(own.entries[2].handler, LaunchBee);
    EXPECT_EQ(own.entries[2].cumulative, 1.0f);
    EXPECT_EQ(own.entries[3].name, "");
    EXPECT_EQ(own.entries[3].cumulative, 3.0f);

    // The lowest pick lands on the first entry with a weight, never on the zero-weight ones.
    ResetRuntimeRand(StateBeforeDraws(6, 0));
    own.LaunchRandomFirework();
    EXPECT_NE(OnlyPayload<BeeShell>(), nullptr);
}

TEST_F(FireworkTypesTest, PickBoundariesAndAnEmptyRegistry)
{
    // A draw of 32767 is exactly 1 in single precision: the pick equals the total and launches nothing.
    ResetRuntimeRand(StateBeforeDraws(6, 32767));
    registry.LaunchRandomFirework();
    EXPECT_TRUE(QueuedShells().empty());

    // One step lower picks the last entry, the random ring.
    ResetRuntimeRand(StateBeforeDraws(6, 32766));
    registry.LaunchRandomFirework();
    EXPECT_NE(OnlyPayload<RingShell>(), nullptr);
    ClearLayers();

    ResetRuntimeRand(StateBeforeDraws(6, 0));
    registry.LaunchRandomFirework();
    EXPECT_NE(OnlyPayload<ChrysanthemumShell>(), nullptr);
    ClearLayers();

    FireworkTypeRegistry empty;
    empty.FinishRegistry();
    empty.LaunchRandomFirework();
    EXPECT_TRUE(QueuedShells().empty());
}

TEST_F(FireworkTypesTest, ClicksLaunchNearTheOriginToBurstPointsThreeToFiveUp)
{
    int perLayer[LayerCount] = {};
    for (int click = 0; click < 600; ++click) {
        registry.LaunchRandomFirework();
    }
    const std::vector<RisingShell*> shells = QueuedShells();
    ASSERT_EQ(shells.size(), 600u);
    for (const RisingShell* shell : shells) {
        EXPECT_LE(std::fabs(shell->start.x), 0.05f);
        EXPECT_EQ(shell->start.y, 0.0f);
        EXPECT_LE(std::fabs(shell->start.z), 0.05f);
        EXPECT_GE(shell->end.y, 3.0f);
        EXPECT_LE(shell->end.y, 5.0f);
        EXPECT_LE(std::fabs(shell->end.x), 2.0f);
        EXPECT_LE(std::fabs(shell->end.z), 2.0f);
        ASSERT_NE(shell->payload, nullptr);
        ++perLayer[shell->payload->layerId];
    }
    EXPECT_EQ(perLayer[LayerRisingShell], 0);
    // Each kind has a chance of 1/6; 600 clicks give each about 100.
    for (int layer = LayerChrysanthemum; layer <= LayerRing; ++layer) {
        EXPECT_GT(perLayer[layer], 60) << "layer " << layer;
        EXPECT_LT(perLayer[layer], 140) << "layer " << layer;
    }
}

TEST_F(FireworkTypesTest, TheFirstClicksOfAFreshThreadAreTheSameInEveryRun)
{
    auto clicks = [this] {
        std::vector<Launched> launched;
        std::thread([&] {
            for (int click = 0; click < 12; ++click) {
                registry.LaunchRandomFirework();
            }
        }).join();
        for (const RisingShell* shell : QueuedShells()) {
            launched.push_back({shell->start, shell->end, shell->payload->layerId});
        }
        ClearLayers();
        return launched;
    };
    const std::vector<Launched> first = clicks();
    ASSERT_EQ(first.size(), 12u);
    EXPECT_EQ(clicks(), first);

    // The first click of a fresh thread, worked out from the first six draws of the generator.
    float u[6];
    for (float& value : u) {
        value = static_cast<float>(Random01());
    }
    EXPECT_EQ(first[0].start.x, u[0] * 0.1f - 0.05f);
    EXPECT_EQ(first[0].start.z, u[1] * 0.1f - 0.05f);
    EXPECT_EQ(first[0].end.x, u[2] * 4.0f - 2.0f);
    EXPECT_EQ(first[0].end.y, u[3] * 2.0f - 1.0f + 4.0f);
    EXPECT_EQ(first[0].end.z, u[4] * 4.0f - 2.0f);
    const int entry = static_cast<int>(u[5] * 66.0f);
    EXPECT_EQ(first[0].payloadLayer, registry.entries[entry].id / 1000);
}

TEST_F(FireworkTypesTest, EachKindBuildsItsBurstAtTheBurstPointWithItsRamps)
{
    LaunchChrysanthemum(registry, 1004, 0.01f, 0.0f, -0.02f, 1.0f, 4.5f, -1.5f);
    const ChrysanthemumShell* kiku = OnlyPayload<ChrysanthemumShell>();
    ASSERT_NE(kiku, nullptr);
    EXPECT_EQ(QueuedShells()[0]->start.x, 0.01f);
    EXPECT_EQ(QueuedShells()[0]->end.y, 4.5f);
    EXPECT_EQ(kiku->position.x, 1.0f);
    EXPECT_EQ(kiku->position.z, -1.5f);
    EXPECT_EQ(kiku->starDensity, 25);
    EXPECT_EQ(kiku->duration, 3.0f);
    EXPECT_TRUE(kiku->speed >= 1.75f && kiku->speed <= 2.25f);
    EXPECT_TRUE(SameRamp(kiku->ramp, KikuRamps[4]));
    ClearLayers();

    LaunchBee(registry, 2007, 0, 0, 0, 0, 4, 0);
    EXPECT_NE(BurstWith<BeeShell>(30, 2.0f, BotanRamps[7]), nullptr);
    ClearLayers();

    LaunchSaturn(registry, 3000, 0, 0, 0, 0, 4, 0);
    const SaturnShell* saturn = BurstWith<SaturnShell>(20, 1.5f, BotanRamps[0]);
    ASSERT_NE(saturn, nullptr);
    EXPECT_TRUE(saturn->speed >= 0.45f && saturn->speed <= 0.55f);
    EXPECT_TRUE(SameRamp(saturn->ringRamp, BotanRamps[9]));
    ClearLayers();

    LaunchSpiral(registry, 4002, 0, 0, 0, 0, 4, 0);
    const SpiralShell* spiral = BurstWith<SpiralShell>(30, 2.0f, BotanRamps[2]);
    ASSERT_NE(spiral, nullptr);
    EXPECT_TRUE(spiral->speed >= 1.25f && spiral->speed <= 1.75f);
    ClearLayers();

    LaunchRing(registry, 6005, 0, 0, 0, 0, 4, 0);
    EXPECT_NE(BurstWith<RingShell>(80, 1.5f, BotanRamps[5]), nullptr);
}

TEST_F(FireworkTypesTest, ThePeonyDrawsItsSparkFlagBeforeItsSpeed)
{
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        ResetRuntimeRand(seed);
        const float c = static_cast<float>(Random01());
        const float u = static_cast<float>(Random01());
        ResetRuntimeRand(seed);
        LaunchPeony(registry, 5006, 0, 0, 0, 0.5f, 3.5f, 0.5f);
        const PeonyShell* peony = OnlyPayload<PeonyShell>();
        ASSERT_NE(peony, nullptr);
        EXPECT_EQ(peony->dropSparks, c < 0.5f);
        EXPECT_EQ(peony->speed, 1.5f + (u * 0.5f - 0.25f));
        EXPECT_EQ(peony->starDensity, 25);
        EXPECT_EQ(peony->duration, 2.0f);
        EXPECT_TRUE(SameRamp(peony->ramp, BotanRamps[6]));
        ClearLayers();
    }
}

TEST_F(FireworkTypesTest, TheRandomVariantStaysWithinTheTenPresets)
{
    // The highest draw truncates to 9: 土星_X then pairs BotanRamps 9 and 0, and 菊_X matches 菊_9.
    ResetRuntimeRand(StateBeforeDraws(1, 32767));
    LaunchSaturn(registry, 3099, 0, 0, 0, 0, 4, 0);
    const SaturnShell* saturn = OnlyPayload<SaturnShell>();
    ASSERT_NE(saturn, nullptr);
    EXPECT_TRUE(SameRamp(saturn->ramp, BotanRamps[9]));
    EXPECT_TRUE(SameRamp(saturn->ringRamp, BotanRamps[0]));
    ClearLayers();

    ResetRuntimeRand(StateBeforeDraws(1, 32767));
    LaunchChrysanthemum(registry, 1099, 0, 0, 0, 0, 4, 0);
    ASSERT_NE(OnlyPayload<ChrysanthemumShell>(), nullptr);
    EXPECT_TRUE(SameRamp(OnlyPayload<ChrysanthemumShell>()->ramp, KikuRamps[9]));
    ClearLayers();

    for (int value : {0, 3276, 3277, 29490, 29491}) {
        ResetRuntimeRand(StateBeforeDraws(1, value));
        LaunchBee(registry, 2099, 0, 0, 0, 0, 4, 0);
        const BeeShell* bee = OnlyPayload<BeeShell>();
        ASSERT_NE(bee, nullptr);
        const int expected = static_cast<int>(value * static_cast<double>(1.0f / 32767.0f) * 10.0);
        EXPECT_TRUE(SameRamp(bee->ramp, BotanRamps[expected])) << "draw " << value;
        ClearLayers();
    }
}

TEST_F(FireworkTypesTest, IdsOfNoVariantLaunchNothingRatherThanReadPastThePresets)
{
    for (std::int32_t id : {1050, 2010, 6098, -1, -6099}) {
        LaunchSaturn(registry, id, 0, 0, 0, 0, 4, 0);
        LaunchChrysanthemum(registry, id, 0, 0, 0, 0, 4, 0);
    }
    EXPECT_TRUE(QueuedShells().empty());
}

TEST_F(FireworkTypesTest, LaunchShellSubmitsUnderTheRenderLock)
{
    CRITICAL_SECTION lock;
    InitializeCriticalSection(&lock);
    registry.SetRenderLock(&lock);

    std::promise<void> held;
    std::promise<void> release;
    std::thread renderThread([&] {
        EnterCriticalSection(&lock);
        held.set_value();
        release.get_future().wait();
        LeaveCriticalSection(&lock);
    });
    held.get_future().wait();

    auto* burst = new PeonyShell(0, 4, 0, 25, 2.0f, 1.5f, BotanRamps[0], false);
    std::future<void> launch =
        std::async(std::launch::async, [&] { registry.LaunchShell(burst, 0, 0, 0, 0, 4, 0); });
    EXPECT_EQ(launch.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
        << "submitted while another thread held the lock";
    release.set_value();
    launch.get();
    renderThread.join();

    ASSERT_EQ(QueuedShells().size(), 1u);
    EXPECT_EQ(QueuedShells()[0]->payload, burst);
    EXPECT_EQ(QueuedShells()[0]->end.y, 4.0f);
    // Released afterwards: another thread takes it at once.
    const bool free = std::async(std::launch::async, [&] {
        const bool entered = TryEnterCriticalSection(&lock) == TRUE;
        if (entered) {
            LeaveCriticalSection(&lock);
        }
        return entered;
    }).get();
    EXPECT_TRUE(free);
    EXPECT_EQ(lock.recursionCount, 0);
    DeleteCriticalSection(&lock);

    // Without a lock, and without a burst, the shell still goes up.
    FireworkTypeRegistry unlocked;
    unlocked.LaunchShell(nullptr, 0, 0, 0, 0, 3, 0);
    ASSERT_EQ(QueuedShells().size(), 2u);
    EXPECT_EQ(QueuedShells()[1]->payload, nullptr);
}
