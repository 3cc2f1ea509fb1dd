// SPDX-License-Identifier: GPL-3.0-or-later
// Layer list handling: enqueue, admit, update, reap.
#include "effects/scene_layer.h"

#include "effects/effect_context.h"

namespace {

void DeleteList(FireObject*& head)
{
    while (head != nullptr) {
        FireObject* following = head->next;
        delete head;
        head = following;
    }
}

FireObject** Tail(FireObject** link)
{
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    return link;
}

} // namespace

SceneLayer::~SceneLayer()
{
    Clear();
}

void SceneLayer::Clear()
{
    DeleteList(activeList);
    DeleteList(incomingList);
}

void SceneLayer::Update()
{
    for (FireObject* object = activeList; object != nullptr; object = object->next) {
        object->Update();
    }
}

void SceneLayer::Enqueue(FireObject* object)
{
    object->next = nullptr;
    *Tail(&incomingList) = object;
}

void SceneLayer::Admit()
{
    if (incomingList == nullptr) {
        return;
    }
    for (FireObject* object = incomingList; object != nullptr; object = object->next) {
        object->birthTime = Effects.time;
        object->Start();
    }
    *Tail(&activeList) = incomingList;
    incomingList = nullptr;
}

void SceneLayer::Reap()
{
    FireObject** link = &activeList;
    while (*link != nullptr) {
        FireObject* object = *link;
        if (object->dead) {
            *link = object->next;
            delete object;
        } else {
            link = &object->next;
        }
    }
}
