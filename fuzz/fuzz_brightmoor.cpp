// libFuzzer target: the Brightmoor plug-in's DiceFunc with any text after its tag.

constexpr const char kTag[] = "$BM,";

#include "PluginTarget.h"
