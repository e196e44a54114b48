#include "engine/editor_state.h"

Single CurrentSceneTime = 0;
