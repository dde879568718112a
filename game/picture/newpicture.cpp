#include "game/picture/newpicture.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace pz {

namespace {
PictureAllocator allocator = nullptr;
}  // namespace

void SetPictureAllocator(PictureAllocator allocate) { allocator = allocate; }

NewPicture MakeNewPicture(QSize size) {
    NewPicture p;
    p.image = allocator ? allocator(size) : QImage(size, QImage::Format_RGB32);
    if (p.image.isNull()) return p;
    p.mapping = std::async(std::launch::async, [bits = p.image.bits(), n = size_t(p.image.sizeInBytes())] {
        const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
        const uintptr_t from = (uintptr_t(bits) + page - 1) & ~(page - 1), to = uintptr_t(bits) + n;
        // Pages as they are, made writable: never a byte changed (Linux 5.14
        // on; older kernels decline and the decoder maps them itself).
        if (from < to) madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
    });
    return p;
}

}  // namespace pz
