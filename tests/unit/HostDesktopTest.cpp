#include "desktop/DesktopLayout.h"
#include "platform/host/HostTesting.h"

#include <gtest/gtest.h>
