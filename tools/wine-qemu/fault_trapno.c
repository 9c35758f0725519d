/*
 * LD_PRELOAD library for i386 Wine run by qemu-i386.
 *
 * Wine's i386 fault handlers decide what a fault was from the trap number in
 * the signal context. qemu's user-mode emulator leaves that number at -1, so
 * Wine reports every access violation, guard-page hit and division by zero as
 * an illegal instruction. This library wraps sigaction() for the fault
 * signals and fills the trap number in from siginfo before Wine's handler
 * runs. A trap number that is already set is left alone, so the library is
 * harmless where the context is complete.
 *
 * Built without 32-bit headers (gcc -m32 -ffreestanding, ld -m elf_i386):
 * the few layouts it needs are those of the i386 Linux ABI and glibc.
 */

#define SIGILL 4
#define SIGTRAP 5
#define SIGBUS 7
#define SIGFPE 8
#define SIGSEGV 11
#define SA_SIGINFO 4
#define SIGNAL_COUNT 65

#define SI_KERNEL 0x80
#define BUS_ADRALN 1
#define FPE_INTDIV 1
#define FPE_INTOVF 2
#define TRAP_TRACE 2

/* x86 exception vectors, as the kernel would store them. */
#define TRAP_DIVIDE 0
#define TRAP_TRACE_STEP 1
#define TRAP_BREAKPOINT 3
#define TRAP_OVERFLOW 4
#define TRAP_INVALID_OPCODE 6
#define TRAP_SEGMENT_NOT_PRESENT 11
#define TRAP_PROTECTION 13
#define TRAP_PAGE_FAULT 14
#define TRAP_FPU_ERROR 16
#define TRAP_ALIGNMENT 17

/* ucontext_t: uc_flags, uc_link, stack_t (3 words), then gregs[19]. */
#define GREGS_OFFSET 20
#define REG_TRAPNO 12
#define NO_TRAP 0xffffffffu

typedef void (*info_handler)(int, void *, void *);

/* glibc's i386 struct sigaction: 1024-bit mask. */
struct libc_sigaction {
    void *handler;
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

#define RTLD_NEXT ((void *)-1l)
extern void *dlsym(void *handle, const char *name);
extern int unsetenv(const char *name);

typedef int (*sigaction_fn)(int, const struct libc_sigaction *, struct libc_sigaction *);

static info_handler wine_handlers[SIGNAL_COUNT];

static int is_fault_signal(int sig)
{
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

static unsigned int trap_number(int sig, int code)
{
    switch (sig) {
    case SIGSEGV:
        return code == SI_KERNEL ? TRAP_PROTECTION : TRAP_PAGE_FAULT;
    case SIGBUS:
        if (code == BUS_ADRALN) return TRAP_ALIGNMENT;
        return code == SI_KERNEL ? TRAP_SEGMENT_NOT_PRESENT : TRAP_PAGE_FAULT;
    case SIGFPE:
        if (code == FPE_INTDIV) return TRAP_DIVIDE;
        return code == FPE_INTOVF ? TRAP_OVERFLOW : TRAP_FPU_ERROR;
    case SIGTRAP:
        return code == TRAP_TRACE ? TRAP_TRACE_STEP : TRAP_BREAKPOINT;
    default:
        return TRAP_INVALID_OPCODE;
    }
}

static void fault_handler(int sig, void *info, void *context)
{
    unsigned int *gregs = (unsigned int *)((char *)context + GREGS_OFFSET);
    int code = ((int *)info)[2];
    info_handler handler = __atomic_load_n(&wine_handlers[sig], __ATOMIC_ACQUIRE);

    if (gregs[REG_TRAPNO] == NO_TRAP) gregs[REG_TRAPNO] = trap_number(sig, code);
    if (handler) handler(sig, info, context);
}

static sigaction_fn real_sigaction(void)
{
    static sigaction_fn real;
    if (!real) real = (sigaction_fn)dlsym(RTLD_NEXT, "sigaction");
    return real;
}

int sigaction(int sig, const struct libc_sigaction *act, struct libc_sigaction *old)
{
    struct libc_sigaction wrapped;
    info_handler previous;
    int result;

    if (sig <= 0 || sig >= SIGNAL_COUNT || !is_fault_signal(sig))
        return real_sigaction()(sig, act, old);

    previous = __atomic_load_n(&wine_handlers[sig], __ATOMIC_ACQUIRE);
    if (act && (act->flags & SA_SIGINFO) && act->handler) {
        wrapped = *act;
        wrapped.handler = (void *)fault_handler;
        __atomic_store_n(&wine_handlers[sig], (info_handler)act->handler, __ATOMIC_RELEASE);
        result = real_sigaction()(sig, &wrapped, old);
    } else {
        result = real_sigaction()(sig, act, old);
        if (result == 0 && act) __atomic_store_n(&wine_handlers[sig], (info_handler)0, __ATOMIC_RELEASE);
    }
    if (result == 0 && old && old->handler == (void *)fault_handler) old->handler = (void *)previous;
    return result;
}

/* The emulator sets this for each i386 loader it starts; a 64-bit loader
 * started from here must not inherit it. */
__attribute__((constructor)) static void forget_preload(void)
{
    unsetenv("LD_PRELOAD");
}
