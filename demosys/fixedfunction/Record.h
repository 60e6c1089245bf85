// Display-list recording for the layer's entry points: FF_RECORD(call) at the top of an entry
// point records the call (its arguments copied) into the list being compiled, and returns from
// the entry point when the list is compiled without being executed.
#pragma once

#include "fixedfunction/DisplayList.h"
#include "fixedfunction/Layer.h"

#define FF_RECORD(...)                                                                             \
    do                                                                                             \
    {                                                                                              \
        ::ff::Layer& recordLayer = ::ff::L();                                                      \
        if (recordLayer.compiling && recordLayer.executingDepth == 0)                              \
        {                                                                                          \
            ::ff::RecordCall([=] { __VA_ARGS__; });                                                \
            if (recordLayer.compilingMode == GL_COMPILE)                                           \
                return;                                                                            \
        }                                                                                          \
    } while (false)
