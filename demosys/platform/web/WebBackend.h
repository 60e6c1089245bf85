// The browser: the page's canvas with a WebGL 2 context (WebBackend.cpp).
#pragma once

#include <memory>

#include "platform/Backend.h"

// The page a person looks at: the start page, the keys, the music, the picture fitted to the
// page and presented once per animation frame.
std::unique_ptr<Backend> CreateWebWindowBackend();

// The same canvas for captures and timing runs: no start page and no keys; frames follow each
// other as fast as they are drawn, the page kept responsive between them.
std::unique_ptr<Backend> CreateWebHeadlessBackend();

// The page is always there.
bool WebWindowAvailable();
