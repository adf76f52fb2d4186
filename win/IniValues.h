#pragma once
// The settings files' text rules are window-free and live in the core; the profile wrapper reaches them here.
#include "core/IniText.h"
