// The displays as Windows reports them: the one place that enumerates the monitors.
#pragma once

#include "desktop/DisplayConfiguration.h"

// The key of the displays as they stand now, in the pixels this process sees (physical pixels
// once it is aware of each monitor's DPI); empty when no monitor could be read.
void ReadDisplayConfiguration(char (&key)[kDisplayKeyChars]);
