// SPDX-License-Identifier: GPL-3.0-or-later
// Layer lists: admission order and birth times, same-pass admission of payloads, reaping and deletion.
#include <gtest/gtest.h>

#include <vector>

#include "effects/effect_context.h"
#include "shells/effects_lifecycle.h"
#include "shells/layer_registry.h"

namespace {

struct Journal {
    std::vector<std::string> events;
    int deleted = 0;
};

// An object that writes what happens to it into a journal and can carry a payload for a later layer.
class ProbeObject : public FireObject {
public:
    ProbeObject(Journal& journal_, const char* name_, LayerId layer = LayerBee) : FireObject(layer, 1.0f), journal(journal_), name(name_) {}
    ~ProbeObject() override
    {
        journal.events.push_back(std::string("delete ") + name);
        ++journal.deleted;
    }
    void Start() override { journal.events.push_back(std::string("start ") + name); }
    void Update() override
    {
        journal.events.push_back(std::string("update ") + name);
        if (payload != nullptr) {
            SubmitFireObject(payload);
            payload = nullptr;
        }
        dead = dieOnUpdate;
    }
    void Draw() override { journal.events.push_back(std::string("draw ") + name); }

    Journal& journal;
    const char* name;
    bool dieOnUpdate = false;
    FireObject* payload = nullptr;
};

class SceneLayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Effects.time = 0.0f;
        EffectsInitScene();
    }
    void TearDown() override
    {
        for (SceneLayer* layer : LayerRegistry) {
            layer->Clear();
        }
    }
    Journal journal;
};

} // namespace

TEST_F(SceneLayerTest, ObjectsSubmittedInOneFrameStartInOrderWithThePassTime)
{
    auto* a = new ProbeObject(journal, "a");
    auto* b = new ProbeObject(journal, "b");
    Effects.time = 1.0f;
    SubmitFireObject(a);
    SubmitFireObject(b);
    Effects.time = 2.5f;
    EffectsUpdate();
    EXPECT_EQ(journal.events, (std::vector<std::string>{"start a", "start b", "update a", "update b"}));
    EXPECT_EQ(a->birthTime, 2.5f);
    EXPECT_EQ(b->birthTime, 2.5f);
    EXPECT_EQ(LayerRegistry[LayerBee]->activeList, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(LayerRegistry[LayerBee]->incomingList, nullptr);
}

TEST_F(SceneLayerTest, APayloadForALaterLayerStartsInTheSamePass)
{
    auto* shell = new ProbeObject(journal, "shell", LayerRisingShell);
    shell->payload = new ProbeObject(journal, "burst", LayerSaturn);
    SubmitFireObject(shell);
    EffectsUpdate();
    EXPECT_EQ(journal.events, (std::vector<std::string>{"start shell", "update shell", "start burst", "update burst"}));
    EXPECT_NE(LayerRegistry[LayerSaturn]->activeList, nullptr);
}

TEST_F(SceneLayerTest, AnObjectDeadInItsFirstUpdateIsDeletedInThatPassAndNeverDrawn)
{
    auto* doomed = new ProbeObject(journal, "doomed");
    doomed->dieOnUpdate = true;
    auto* survivor = new ProbeObject(journal, "survivor");
    SubmitFireObject(doomed);
    SubmitFireObject(survivor);
    EffectsUpdate();
    EXPECT_EQ(journal.events,
              (std::vector<std::string>{"start doomed", "start survivor", "update doomed", "update survivor", "delete doomed"}));
    EXPECT_EQ(LayerRegistry[LayerBee]->activeList, survivor);
    EXPECT_EQ(survivor->next, nullptr);
}

TEST_F(SceneLayerTest, ReapingUnlinksHeadMiddleAndTail)
{
    ProbeObject* objects[5];
    for (int i = 0; i < 5; ++i) {
        objects[i] = new ProbeObject(journal, "o");
        SubmitFireObject(objects[i]);
    }
    EffectsUpdate();
    objects[0]->dead = objects[2]->dead = objects[4]->dead = true;
    LayerRegistry[LayerBee]->Reap();
    EXPECT_EQ(journal.deleted, 3);
    EXPECT_EQ(LayerRegistry[LayerBee]->activeList, objects[1]);
    EXPECT_EQ(objects[1]->next, objects[3]);
    EXPECT_EQ(objects[3]->next, nullptr);
}

TEST_F(SceneLayerTest, ClearingALayerDeletesQueuedAndActiveObjectsOnce)
{
    SubmitFireObject(new ProbeObject(journal, "active1"));
    SubmitFireObject(new ProbeObject(journal, "active2"));
    EffectsUpdate();
    SubmitFireObject(new ProbeObject(journal, "queued"));
    LayerRegistry[LayerBee]->Clear();
    EXPECT_EQ(journal.deleted, 3);
    LayerRegistry[LayerBee]->Clear();
    EXPECT_EQ(journal.deleted, 3);
}

TEST_F(SceneLayerTest, AnObjectOfNoLayerIsDeletedNotLeaked)
{
    SubmitFireObject(new ProbeObject(journal, "stray", static_cast<LayerId>(9)));
    EXPECT_EQ(journal.deleted, 1);
}
