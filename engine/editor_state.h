#pragma once
// State that the plug-in's editor, its preview and the engine share. The editor side and
// the emitter objects write it; the engine reads it, so that no engine file needs an
// editor header.
#include "platform/classlib/types.h"

// The host frame the plug-in last moved the scene to (an emitter object setting the host
// time, the start of a preview). Deflectors take their own last move from it.
extern Single CurrentSceneTime;
