#pragma once
// The scripted map dialogs are shared with the whole-window tests.
#include "support/ScriptedMapDialogs.h"
