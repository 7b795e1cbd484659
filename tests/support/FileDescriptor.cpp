#include "FileDescriptor.h"

#include <unistd.h>

void FileDescriptor::Close() {
    if (fd >= 0)
        close(fd);
    fd = -1;
}
