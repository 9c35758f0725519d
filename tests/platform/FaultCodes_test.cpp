// The Wine the tests run on must report processor faults as Windows does.
// The PE32 run may go through an emulated i386 loader, whose fault handling
// needs help to tell an access violation from an illegal instruction; when
// that help is missing, a crashing test is misreported and write watches and
// guard pages stop working.
#include "Platform.h"

#include <gtest/gtest.h>

#include <ios>

namespace {

volatile LONG g_faultCode;
volatile DWORD g_probeThread;
volatile int g_zero;

// Records the probing thread's first-chance fault and ends that thread; a
// guard-page hit is resumed, as the guard is gone after the first touch.
LONG CALLBACK RecordFault(EXCEPTION_POINTERS* pointers) {
    if (GetCurrentThreadId() != g_probeThread) return EXCEPTION_CONTINUE_SEARCH;
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    InterlockedExchange(&g_faultCode, static_cast<LONG>(code));
    if (code == STATUS_GUARD_PAGE_VIOLATION) return EXCEPTION_CONTINUE_EXECUTION;
    ExitThread(0);
}

DWORD WINAPI ReadNull(void*) { return *static_cast<volatile DWORD*>(nullptr); }
DWORD WINAPI DivideByZero(void*) { return 10 / g_zero; }
DWORD WINAPI WriteTo(void* page) { *static_cast<volatile DWORD*>(page) = 1; return 0; }
DWORD WINAPI ReadFrom(void* page) { return *static_cast<volatile BYTE*>(page); }
DWORD WINAPI Break(void*) { DebugBreak(); return 0; }

class FaultCodes : public ::testing::Test {
protected:
    void SetUp() override { handler_ = AddVectoredExceptionHandler(1, RecordFault); }
    void TearDown() override { RemoveVectoredExceptionHandler(handler_); }

    static DWORD FaultOf(LPTHREAD_START_ROUTINE probe, void* argument) {
        g_faultCode = 0;
        DWORD id = 0;
        HANDLE thread = CreateThread(nullptr, 0, probe, argument, CREATE_SUSPENDED, &id);
        if (!thread) return 0;
        g_probeThread = id;
        ResumeThread(thread);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        return static_cast<DWORD>(g_faultCode);
    }

    void* handler_ = nullptr;
};

TEST_F(FaultCodes, EachFaultKeepsItsWindowsCode) {
    void* readOnly = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READONLY);
    void* guarded = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD);
    ASSERT_TRUE(readOnly && guarded);
    const struct {
        const char* fault;
        LPTHREAD_START_ROUTINE probe;
        void* argument;
        DWORD expected;
    } cases[] = {
        {"read of address 0", ReadNull, nullptr, static_cast<DWORD>(STATUS_ACCESS_VIOLATION)},
        {"write to a read-only page", WriteTo, readOnly, static_cast<DWORD>(STATUS_ACCESS_VIOLATION)},
        {"integer division by zero", DivideByZero, nullptr, static_cast<DWORD>(STATUS_INTEGER_DIVIDE_BY_ZERO)},
        {"breakpoint", Break, nullptr, static_cast<DWORD>(STATUS_BREAKPOINT)},
        {"first touch of a guard page", ReadFrom, guarded, static_cast<DWORD>(STATUS_GUARD_PAGE_VIOLATION)},
    };
    for (const auto& c : cases) {
        const DWORD code = FaultOf(c.probe, c.argument);
        EXPECT_EQ(c.expected, code) << c.fault << ": 0x" << std::hex << code;
    }
    EXPECT_EQ(0u, FaultOf(ReadFrom, guarded)) << "the guard is gone after the first touch";
    VirtualFree(readOnly, 0, MEM_RELEASE);
    VirtualFree(guarded, 0, MEM_RELEASE);
}

TEST_F(FaultCodes, WriteWatchSeesWrittenPages) {
    const SIZE_T size = 16 * 4096;
    auto* block = static_cast<char*>(
        VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_WRITE_WATCH, PAGE_READWRITE));
    ASSERT_NE(nullptr, block);
    block[5] = 1;
    block[3 * 4096] = 2;
    void* written[16];
    ULONG_PTR count = 16;
    ULONG pageSize = 0;
    ASSERT_EQ(0u, GetWriteWatch(0, block, size, written, &count, &pageSize));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(block, written[0]);
    EXPECT_EQ(block + 3 * 4096, written[1]);
    VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace
