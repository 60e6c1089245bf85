// The show's fifteen effects: the name the timeline script gives each and a function that
// creates it. The table's order is the order of creation, of registration and of deletion.
#pragma once

#include "DemoGL.h"

struct EffectTableEntry
{
    // The script name, upper case, as the library registers it.
    const char* name;
    // A new object of the effect's class, made with its default constructor; the caller owns it.
    CEffect* (*factory)();
};

constexpr int kEffectCount = 15;

extern const EffectTableEntry kEffectTable[kEffectCount];
