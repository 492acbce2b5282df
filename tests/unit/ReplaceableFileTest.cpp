// Who could replace a program file, from access lists laid out as the platform lays them out.
#include "platform/host/HostTesting.h"
#include "store/ReplaceableFile.h"
#include "unit/AccessListSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace acltest;

using Entries = std::vector<hostsim::AccessEntry>;

const char kAuthenticatedUsers[] = "S-1-5-11";
const char kCreatorOwner[] = "S-1-3-0";
const char kSomeUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";
const DWORD kModify = 0x1301BF;

hostsim::AccessEntry Allow(const char* sid, DWORD mask, BYTE flags = 0) {
    return {sid, ACCESS_ALLOWED_ACE_TYPE, flags, mask};
}

// Program Files as Windows ships it; C:\ lets authenticated users make folders of their own and
// hands them Modify on what they hold, which C:\ itself does not get.
const Entries kProgramFiles = {Allow(kTrustedInstaller, kFull), Allow(kSystem, kFull),
                               Allow(kAdministrators, kFull), Allow(kUsers, kReadExecute),
                               Allow(kCreatorOwner, GENERIC_ALL, kInheritOnly)};
const Entries kDriveRoot = {Allow(kAdministrators, kFull), Allow(kSystem, kFull),
                            Allow(kUsers, kReadExecute),
                            Allow(kAuthenticatedUsers, kModify, kInheritOnly),
                            Allow(kAuthenticatedUsers, FILE_ADD_SUBDIRECTORY)};

const char16_t kExe[] = u"C:\\Program Files\\Quill Marsh\\quillmarsh.exe";

class ReplaceableFile : public ::testing::Test {
  protected:
    void SetUp() override {
        hostsim::ResetFiles();
        hostsim::SetFileSecurity("C:\\", kTrustedInstaller, kDriveRoot);
        hostsim::SetFileSecurity("C:\\Program Files", kTrustedInstaller, kProgramFiles);
        Folder(kProgramFiles);
        File(kProgramFiles);
    }
    static void Folder(const Entries& entries, const char* owner = kTrustedInstaller) {
        hostsim::SetFileSecurity("C:\\Program Files\\Quill Marsh", owner, entries);
    }
    static void File(const Entries& entries, const char* owner = kTrustedInstaller) {
        hostsim::SetFileSecurity("C:\\Program Files\\Quill Marsh\\quillmarsh.exe", owner, entries);
    }
};

TEST_F(ReplaceableFile, OnlyTheSystemsOwnPrincipalsMayChangeAnInstalledProgram) {
    EXPECT_TRUE(OnlyTrustedCanReplace(kExe));

    // A deny entry takes rights away and never adds any.
    Entries denied = kProgramFiles;
    denied.insert(denied.begin(), {kUsers, ACCESS_DENIED_ACE_TYPE, 0, kFull});
    File(denied);
    EXPECT_TRUE(OnlyTrustedCanReplace(kExe));
}

TEST_F(ReplaceableFile, AnyOtherWayToReplaceItCounts) {
    struct Case {
        const char* what;
        Entries folder;
        Entries file;
        const char* fileOwner;
    };
    Entries userModifies = kProgramFiles;
    userModifies.push_back(Allow(kAuthenticatedUsers, kModify, INHERITED_ACE));
    Entries userChangesList = kProgramFiles;
    userChangesList.push_back(Allow(kSomeUser, READ_CONTROL | WRITE_DAC));
    Entries userAddsFiles = kProgramFiles;
    userAddsFiles.push_back(Allow(kUsers, FILE_ADD_FILE));
    Entries creatorOwnerHere = kProgramFiles;
    creatorOwnerHere.push_back(Allow(kCreatorOwner, GENERIC_ALL));
    // Order decides for the principal denied, but not for others in the group allowed.
    Entries denyThenAllow = {{kSomeUser, ACCESS_DENIED_ACE_TYPE, 0, kFull},
                             Allow(kAuthenticatedUsers, kModify),
                             Allow(kSystem, kFull)};
    const Case cases[] = {
        {"folder inherits Modify", userModifies, kProgramFiles, kTrustedInstaller},
        {"a user may change the file's list", kProgramFiles, userChangesList, kTrustedInstaller},
        {"users may add files to the folder", userAddsFiles, kProgramFiles, kTrustedInstaller},
        {"creator owner applies to the file", kProgramFiles, creatorOwnerHere, kTrustedInstaller},
        {"deny then allow", kProgramFiles, denyThenAllow, kTrustedInstaller},
        {"a user owns the file", kProgramFiles, kProgramFiles, kSomeUser},
    };
    for (const Case& test : cases) {
        Folder(test.folder);
        File(test.file, test.fileOwner);
        EXPECT_FALSE(OnlyTrustedCanReplace(kExe)) << test.what;
    }
}

// FAT has no access lists at all; a folder this user may not read could say anything.
TEST_F(ReplaceableFile, NoListOrOneThatCannotBeReadCounts) {
    hostsim::SetFileWithoutAccessList("C:\\Program Files\\Quill Marsh");
    EXPECT_FALSE(OnlyTrustedCanReplace(kExe));

    hostsim::ResetFiles();
    hostsim::SetFileSecurity("C:\\", kTrustedInstaller, kDriveRoot);
    File(kProgramFiles);
    Folder(kProgramFiles);
    EXPECT_FALSE(OnlyTrustedCanReplace(kExe));

    EXPECT_FALSE(OnlyTrustedCanReplace(u"quillmarsh.exe"));
    EXPECT_FALSE(OnlyTrustedCanReplace(u""));
}

} // namespace
