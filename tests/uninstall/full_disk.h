// The Windows directory on a small disk of its own (tests/wine/small-windows-disk.sh, as
// root): tests fill that disk up to a number of spare bytes and free it again.
#pragma once
#include "common/files.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <string>

inline bool HaveSmallWindowsDisk()
{
    return GetEnvironmentVariableA("QNTX_SMALL_WINDOWS_DISK", NULL, 0) != 0;
}

class WindowsDiskFiller {
public:
    WindowsDiskFiller() = default;
    WindowsDiskFiller(const WindowsDiskFiller&) = delete;
    WindowsDiskFiller& operator=(const WindowsDiskFiller&) = delete;
    ~WindowsDiskFiller() { Free(); }

    // Fills the disk but for spare bytes (rounded up to the disk's 4 KiB pages). (SetEndOfFile
    // cannot give space back here: Wine also sets the allocation size, which fails on a full
    // disk.)
    void Fill(DWORD spare)
    {
        std::string sparePath = WindowsFile("qntx-spare.bin");
        static const char block[4096] = {};
        DWORD done = 0, total = 0;
        if (spare) {
            HANDLE kept = CreateFileA(sparePath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, kept);
            for (DWORD left = spare; left > 0; left -= done)
                if (!WriteFile(kept, block, left < sizeof block ? left : sizeof block, &done, NULL) || !done)
                    break;
            CloseHandle(kept);
        }
        filler_ = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, filler_);
        while (WriteFile(filler_, block, sizeof block, &done, NULL) && done == sizeof block)
            total += done;
        ASSERT_GT(total, 0u);
        ASSERT_LT(total, 1u << 20) << "the disk did not fill up";
        DeleteFileA(sparePath.c_str());
    }

    void Free()
    {
        if (filler_ != INVALID_HANDLE_VALUE)
            CloseHandle(filler_);
        filler_ = INVALID_HANDLE_VALUE;
        DeleteFileA(path_.c_str());
    }

private:
    const std::string path_ = WindowsFile("qntx-filler.bin");
    HANDLE filler_ = INVALID_HANDLE_VALUE;
};
