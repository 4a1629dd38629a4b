// libFuzzer target: the Kestrel plug-in's DiceFunc with any text after its tag.

constexpr const char kTag[] = "$KS,";

#include "PluginTarget.h"
