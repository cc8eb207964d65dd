/* Preloaded into Wine during tests: gives pseudo-terminals the modem lines of a
 * real serial port. Without it Wine's WaitCommEvent on a pty ends at once with no
 * event (the line-status ioctls fail), so a serial reader would spin.
 * PTYMODEM_LINES names a file holding a decimal TIOCM_* mask, to simulate line drops. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int read_lines(void) {
    int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | TIOCM_DTR | TIOCM_RTS;
    const char* path = getenv("PTYMODEM_LINES");
    FILE* file;
    if (path && (file = fopen(path, "r"))) {
        if (fscanf(file, "%d", &lines) != 1) lines = 0;
        fclose(file);
    }
    return lines;
}

static int fake(int fd, unsigned long request, void* arg, int result, int error) {
    if (result == -1 && (error == ENOTTY || error == EINVAL) && isatty(fd)) {
        if (request == TIOCMGET) {
            *(int*)arg = read_lines();
            return 0;
        }
        if (request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC) return 0;
    }
    errno = error;
    return result;
}

#define WRAP(name)                                           \
    int name(int fd, unsigned long request, ...) {           \
        static ioctl_fn real;                                \
        va_list ap;                                          \
        va_start(ap, request);                               \
        void* arg = va_arg(ap, void*);                       \
        va_end(ap);                                          \
        if (!real) real = (ioctl_fn)dlsym(RTLD_NEXT, #name); \
        int result = real(fd, request, arg);                 \
        return fake(fd, request, arg, result, errno);        \
    }

WRAP(ioctl)
#if defined(__i386__)
WRAP(__ioctl_time64)
#endif
