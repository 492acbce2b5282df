#include "contract/TestDesktop.h"

#include "desktop/DesktopLayout.h"

#include <gtest/gtest.h>

TEST(DesktopContract, Placeholder) {}
