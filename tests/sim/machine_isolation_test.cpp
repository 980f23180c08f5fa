// What the program's process holds belongs to one machine: a machine made
// after another finds none of the earlier one's memory blocks, resources or
// digests in progress.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "platform/win32.h"
#include "support/test_machine.h"

namespace {

using testing_support::FreshFolder;
using testing_support::ScopedMachine;

TEST(MachineIsolation, MemoryHandleOfAnEarlierMachineIsRefused) {
  HGLOBAL block;
  {
    ScopedMachine earlier;
    block = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(block, nullptr);
  }
  ScopedMachine machine;
  SetLastError(0);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalFree(block), block);
}

// The package file is read anew by each machine, so a rebuilt package at
// the same path is what the next run unpacks.
TEST(MachineIsolation, PackageResourceIsReadAgainByANewMachine) {
  const std::filesystem::path package = FreshFolder("isolation-package") / "package.voz";
  for (const std::string content : {"first", "second run"}) {
    std::ofstream(package, std::ios::binary | std::ios::trunc) << content;
    ScopedMachine machine;
    machine->process.packagePath = package;
    HRSRC resource = FindResourceA(nullptr, "KELTVOZ", "VOZ");
    ASSERT_NE(resource, nullptr);
    const DWORD size = SizeofResource(nullptr, resource);
    const char *bytes = static_cast<const char *>(LockResource(LoadResource(nullptr, resource)));
    EXPECT_EQ(std::string(bytes, size), content);
  }
}

template <typename Routine>
Routine Advapi32Routine(const char *name) {
  return reinterpret_cast<Routine>(reinterpret_cast<void *>(GetProcAddress(LoadLibraryA("advapi32.dll"), name)));
}

// A digest begun and not finished on one machine leaves nothing to finish
// on the next: MD5Final there leaves the context's digest as it is.
TEST(MachineIsolation, DigestBegunOnAnEarlierMachineDoesNotContinue) {
  typedef void(WINAPI * Init)(void *);
  typedef void(WINAPI * Update)(void *, const unsigned char *, unsigned int);
  struct {
    unsigned char running[8 + 16 + 64];  // bit count, state and input block
    unsigned char digest[16];
  } context;
  {
    ScopedMachine earlier;
    Advapi32Routine<Init>("MD5Init")(&context);
    Advapi32Routine<Update>("MD5Update")(&context, reinterpret_cast<const unsigned char *>("ab"), 2);
  }
  ScopedMachine machine;
  Advapi32Routine<Init>("MD5Final")(&context);
  const unsigned char untouched[16] = {0};
  EXPECT_EQ(std::memcmp(context.digest, untouched, sizeof untouched), 0);
}

}  // namespace
