// What only the simulated shell can stage: 32-bit shells, systems without IsWow64Process2, refused
// access, and the resources the core leaves behind.
#include "desktop/DesktopLayout.h"
#include "desktop/ListViewRecord.h"
#include "platform/host/HostTesting.h"
#include "store/LayoutSnapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class HostDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        hostsim::ResetDesktop({{"Recycle Bin", 20, 10}, {"My Computer", 20, 80}});
        hostsim::SetModuleFileName("C:\\Program Files\\Quill Marsh\\quillmarsh.exe");
    }
};

// Every text request is the wide one, whose cchTextMax counts UTF-16 units.
void ExpectTextRecordsAt(uintptr_t textArea) {
    int texts = 0;
    for (const hostsim::ListViewRequest& request : hostsim::RequestLog()) {
        EXPECT_NE(request.msg, static_cast<UINT>(LVM_GETITEMTEXTA));
        if (request.msg != LVM_GETITEMTEXTW) {
            continue;
        }
        texts++;
        EXPECT_TRUE(request.hasRecord);
        EXPECT_EQ(request.mask, static_cast<uint32_t>(LVIF_TEXT));
        EXPECT_EQ(request.iItem, 0);
        EXPECT_EQ(request.pszText, textArea);
        EXPECT_EQ(request.cchTextMax, 256);
        EXPECT_EQ(request.iImage, 0);
        EXPECT_EQ(request.recordLParam, 0);
        EXPECT_EQ(request.iIndent, 0);
    }
    EXPECT_GT(texts, 0);
}

TEST_F(HostDesktop, ThirtyTwoBitShellGetsThe40ByteRecord) {
    hostsim::SetShellBitness(32);
    CDesktopLayout layout;
    ASSERT_NE(layout.remoteBuffer, nullptr);
    EXPECT_STREQ(layout.CaptureLayout(), "Recycle Bin;20;10;My Computer;20;80;");
    ExpectTextRecordsAt(reinterpret_cast<uintptr_t>(layout.remoteBuffer) + kTextOffset32);
}

TEST_F(HostDesktop, BitnessIsKnownWithoutIsWow64Process2) {
    hostsim::SetIsWow64Process2Available(false);
    for (int bits : {32, 64}) {
        hostsim::SetShellBitness(bits);
        CDesktopLayout layout;
        hostsim::ClearRequestLog();
        EXPECT_STREQ(layout.CaptureLayout(), "Recycle Bin;20;10;My Computer;20;80;");
        ExpectTextRecordsAt(reinterpret_cast<uintptr_t>(layout.remoteBuffer) +
                            (bits == 32 ? kTextOffset32 : kTextOffset64));
    }
}

TEST_F(HostDesktop, ShellProcessIsOpenedWithTheRightsItNeeds) {
    CDesktopLayout layout;
    EXPECT_EQ(hostsim::LastOpenProcessAccess(), 0x438u);
    EXPECT_EQ(layout.processId, hostsim::ShellProcessId());
}

TEST_F(HostDesktop, RefusedProcessAccessCapturesNothing) {
    hostsim::SetOpenProcessRefused(true);
    CDesktopLayout layout;
    EXPECT_EQ(layout.processHandle, nullptr);
    EXPECT_EQ(layout.remoteBuffer, nullptr);
    EXPECT_STREQ(layout.CaptureLayout(), "");
    EXPECT_EQ(layout.ApplyLayout("Recycle Bin;1;1;"), 0);
    EXPECT_TRUE(hostsim::RequestLog().empty());
}

TEST_F(HostDesktop, RefusedRemoteBlockCapturesNothing) {
    hostsim::SetRemoteAllocationRefused(true);
    CDesktopLayout layout;
    EXPECT_NE(layout.processHandle, nullptr);
    EXPECT_EQ(layout.remoteBuffer, nullptr);
    EXPECT_STREQ(layout.CaptureLayout(), "");
    EXPECT_EQ(layout.ApplyLayout("Recycle Bin;1;1;"), 0);
    EXPECT_TRUE(hostsim::RequestLog().empty());
}

TEST_F(HostDesktop, DestructionReleasesBlockHandleAndStore) {
    {
        CDesktopLayout layout;
        EXPECT_EQ(hostsim::OpenProcessHandles(), 1);
        EXPECT_EQ(hostsim::RemoteBlocks(), 1);
        layout.snapshots->Append(new LayoutSnapshot());
        layout.snapshots->Append(NewSnapshot("2024-03-01 09:15:00", "A;1;1;", kSnapshotManual));
        layout.undoStack->Append(new char[100]());
        layout.undoStack->Append(new char[100]());
    }
    // LeakSanitizer reports the snapshot and buffers if the destructor missed them.
    EXPECT_EQ(hostsim::OpenProcessHandles(), 0);
    EXPECT_EQ(hostsim::RemoteBlocks(), 0);
}

TEST_F(HostDesktop, RestartReleasesTheOldProcessHandle) {
    CDesktopLayout layout;
    hostsim::RestartShell();
    EXPECT_STREQ(layout.CaptureLayout(), "Recycle Bin;20;10;My Computer;20;80;");
    EXPECT_EQ(hostsim::OpenProcessHandles(), 1);
    EXPECT_EQ(hostsim::RemoteBlocks(), 1);
    EXPECT_EQ(layout.processId, hostsim::ShellProcessId());
}

TEST_F(HostDesktop, ShellStartedAfterUsIsReachedByTheNextCapture) {
    hostsim::RemoveShell();
    CDesktopLayout layout;
    EXPECT_EQ(layout.remoteBuffer, nullptr);
    hostsim::ResetDesktop({{"Late", 5, 6}});
    EXPECT_STREQ(layout.CaptureLayout(), "Late;5;6;");
}

TEST_F(HostDesktop, HungShellStopsTheOperationAfterOneRequest) {
    CDesktopLayout layout;
    hostsim::SetShellHung(true);
    EXPECT_STREQ(layout.CaptureLayout(), "");
    EXPECT_EQ(layout.ApplyLayout("Recycle Bin;1;1;"), 0);
    hostsim::SetShellHung(false);
    EXPECT_STREQ(layout.CaptureLayout(), "Recycle Bin;20;10;My Computer;20;80;");
}

// Each move pushes the icon before it out of place again, so the passes walk back one icon a time.
TEST_F(HostDesktop, SettingsFileLiesBesideTheExecutable) {
    hostsim::SetModuleFileName("D:\\Tools\\App\\prog.exe");
    EXPECT_STREQ(CDesktopLayout::GetExeDirectory(), "D:\\Tools\\App\\");
    CDesktopLayout layout;
    EXPECT_STREQ(layout.iniPath, "D:\\Tools\\App\\Quillmarsh.ini");

    hostsim::SetModuleFileName("C:prog.exe");
    EXPECT_STREQ(CDesktopLayout::GetExeDirectory(), "C:\\");
}

TEST_F(HostDesktop, OverlongDirectoryLeavesNoSettingsPath) {
    // A directory of 246 characters fits the module buffer, but not with "Quillmarsh.ini" behind
    // it.
    std::string path = "C:\\" + std::string(242, 'd') + "\\p.exe";
    hostsim::SetModuleFileName(path);
    CDesktopLayout shortLived;
    EXPECT_STREQ(shortLived.iniPath, "");

    // A module path cut by the platform names no real directory.
    hostsim::SetModuleFileName("C:\\" + std::string(400, 'x') + "\\prog.exe");
    EXPECT_STREQ(CDesktopLayout::GetExeDirectory(), "");
}

} // namespace
