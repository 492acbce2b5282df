// The principals and rights of the access lists the tests lay out, as the platform names them.
#pragma once

#include "platform/host/HostTesting.h"

namespace acltest {

const char kSystem[] = "S-1-5-18";
const char kAdministrators[] = "S-1-5-32-544";
const char kUsers[] = "S-1-5-32-545";
const char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const DWORD kFull = 0x1F01FF;
const DWORD kReadExecute = 0x1200A9;
const BYTE kInheritOnly = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE;

} // namespace acltest
