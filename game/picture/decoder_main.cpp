// puzzora-decoder: decodes one picture for the game, behind a wall. The game
// starts it with the picture open as descriptor 3 and its socket as 4; it
// keeps nothing else, limits its own memory and time, and shuts itself off
// from files, the network and new processes before it reads a byte. The
// pixels go back in shared memory (a memfd) the game maps.
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <libheif/heif.h>
#include <malloc.h>
#include <sched.h>
#include <map>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "game/picture/newpicture.h"
#include "game/picture/picture.h"
#include "game/picture/wall.h"

using namespace pz;

namespace {

constexpr int kPicture = 3, kSocket = 4;
qint64 baseline = 0;   // the address space in use before the picture

// The memory behind each picture made here, by its pixels.
std::map<const uchar*, int>& Shared() {
    static std::map<const uchar*, int> fds;
    return fds;
}

// This process's status, opened before files are shut off: every message
// says how much memory the decoder has held at most.
int status = -1;

qint64 Peak() {
    char text[4096];
    const ssize_t n = status < 0 ? -1 : ::pread(status, text, sizeof text, 0);
    return n > 0 ? PeakResident(QByteArray(text, int(n))) : -1;
}

void Send(WallMessage m, int fd = -1) {
    m.peak = Peak();
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec io{&m, sizeof m};
    msghdr h{};
    h.msg_iov = &io;
    h.msg_iovlen = 1;
    if (fd >= 0) {
        h.msg_control = control;
        h.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&h);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
    }
    while (::sendmsg(kSocket, &h, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

// A message of this kind about a picture of this size.
WallMessage About(WallMessage::Kind kind, QSize size, qsizetype bytesPerLine = 0) {
    WallMessage m{};
    m.kind = kind;
    m.width = size.width();
    m.height = size.height();
    m.bytesPerLine = int(bytesPerLine);
    return m;
}

// A picture's memory, shared with the game as soon as it is made so that
// the game maps it in while it is filled; sealed at its size, so that no
// one can shrink it under the game's mapping.
QImage SharedPicture(QSize size) {
    const qsizetype bpl = qsizetype(size.width()) * 4;
    const qint64 bytes = qint64(bpl) * size.height();
    const int fd = memfd_create("picture", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) return {};
    void* p = ::ftruncate(fd, bytes) == 0 && ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) == 0
                  ? ::mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                  : MAP_FAILED;
    if (p == MAP_FAILED) {
        ::close(fd);
        return {};
    }
    Shared()[static_cast<const uchar*>(p)] = fd;
    Send(About(WallMessage::Memory, size, bpl), fd);
    return QImage(static_cast<uchar*>(p), size.width(), size.height(), bpl, QImage::Format_RGB32);
}

// Once the size is known: the address space of the picture's budget, and
// the game told (it waits longer for a picture near the size limit).
void SizeKnown(QSize size, bool heif) {
#ifndef __SANITIZE_ADDRESS__   // AddressSanitizer reserves terabytes of address space
    const rlim_t limit = rlim_t(baseline + PictureBudget(qint64(size.width()) * size.height(), heif));
    const rlimit as{limit, limit};
    ::setrlimit(RLIMIT_AS, &as);
#endif
    Send(About(WallMessage::Size, size));
}

qint64 AddressSpace() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return qint64(1) << 30;
    return statm.readAll().split(' ').value(0).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// No file opened or changed, no network, no new process: a decoder that
// tries is stopped at once.
bool ShutOff() {
    scmp_filter_ctx f = seccomp_init(SCMP_ACT_ALLOW);
    if (!f) return false;
    const int killed[] = {SCMP_SYS(open),     SCMP_SYS(openat),   SCMP_SYS(openat2),   SCMP_SYS(creat),
                          SCMP_SYS(open_by_handle_at), SCMP_SYS(mknod), SCMP_SYS(mknodat), SCMP_SYS(unlink),
                          SCMP_SYS(unlinkat), SCMP_SYS(rename),   SCMP_SYS(renameat),  SCMP_SYS(renameat2),
                          SCMP_SYS(truncate), SCMP_SYS(mkdir),    SCMP_SYS(mkdirat),   SCMP_SYS(link),
                          SCMP_SYS(linkat),   SCMP_SYS(symlink),  SCMP_SYS(symlinkat), SCMP_SYS(chmod),
                          SCMP_SYS(fchmodat), SCMP_SYS(chown),    SCMP_SYS(fchownat),  SCMP_SYS(socket),
                          SCMP_SYS(connect),  SCMP_SYS(bind),     SCMP_SYS(listen),    SCMP_SYS(accept),
                          SCMP_SYS(accept4),  SCMP_SYS(execve),   SCMP_SYS(execveat),  SCMP_SYS(fork),
                          SCMP_SYS(vfork),    SCMP_SYS(ptrace),   SCMP_SYS(process_vm_writev)};
    bool ok = true;
    for (const int call : killed) ok = ok && seccomp_rule_add(f, SCMP_ACT_KILL_PROCESS, call, 0) == 0;
    // Threads, yes; processes, no. clone3 hides its flags from the filter:
    // refused, the C library falls back to clone.
    ok = ok && seccomp_rule_add(f, SCMP_ACT_KILL_PROCESS, SCMP_SYS(clone), 1,
                                SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)) == 0;
    ok = ok && seccomp_rule_add(f, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    ok = ok && seccomp_load(f) == 0;
    seccomp_release(f);
    return ok;
}

void Refuse(const QString& why) {
    WallMessage m{};
    m.kind = WallMessage::Refused;
    const QByteArray text = why.toUtf8().left(int(sizeof m.text) - 1);
    std::memcpy(m.text, text.constData(), size_t(text.size()));
    Send(m);
}

// What the decoders load from files comes in before the files are shut
// off: Qt's readers with their plugins (about twenty files; only for what
// libjpeg and libheif do not read, and loaded against no data, so that
// nothing of the picture is parsed before the filter is on), libheif's
// decoders, the time zone, and this process's status.
void LoadBeforeShutOff(QFile& picture, bool asked) {
    const QByteArray head = picture.peek(64);
    const bool jpeg = head.startsWith("\xff\xd8\xff");
    const bool heif = head.size() >= 12 && heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()),
                                                                int(head.size())) == heif_filetype_yes_supported;
    if (asked || (!jpeg && !heif)) {
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader warm(&nothing);
        warm.setDecideFormatFromContent(true);
        warm.canRead();
    }
    picture.seek(0);
    heif_context_free(heif_context_alloc());
    tzset();   // Little CMS dates the profiles it makes: the zone is read now
    status = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
}

// Only for the game's tests: a decoder that crashes, overruns or reaches
// for a file.
void Misbehave() {
    const QByteArray probe = qgetenv("PUZZORA_DECODER_PROBE");
    if (probe == "crash") std::raise(SIGKILL);
    volatile bool spinning = probe == "spin";
    while (spinning) {
    }
    if (probe == "open") ::open("/etc/hostname", O_RDONLY);
    if (probe == "shrink") {   // memory offered unsealed, then pulled from under the game
        const int fd = memfd_create("picture", MFD_CLOEXEC);
        if (fd >= 0 && ::ftruncate(fd, qint64(64) << 20) == 0) Send(About(WallMessage::Memory, {4096, 4096}, 4 * 4096), fd);
        const timespec meanwhile{0, 20'000'000};   // the game has it mapped by now
        ::nanosleep(&meanwhile, nullptr);
        if (fd >= 0 && ::ftruncate(fd, 0) == 0) ::close(fd);
    }
}

// The decoded picture to the game, in shared memory: pictures the decoders
// made here are there already; one made elsewhere (a format Qt decodes
// straight to ours) is copied once.
void HandBack(QImage image) {
    auto at = Shared().find(image.constBits());
    if (at == Shared().end()) {
        QImage shared = SharedPicture(image.size());
        if (shared.isNull()) {
            Refuse(QStringLiteral("there is not enough memory for the picture."));
            return;
        }
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(shared.scanLine(y), image.constScanLine(y), size_t(image.width()) * 4);
        at = Shared().find(shared.constBits());
        image = shared;
    }
    Send(About(WallMessage::Picture, image.size(), image.bytesPerLine()), at->second);
}

}  // namespace

int main(int argc, char** argv) {
    ::close_range(kSocket + 1, ~0U, 0);
    // Two heaps: libde265's threads allocate as they decode, and one heap
    // for both costs a HEIC a twentieth of its time. The second holds 64 MB
    // of address space, allowed for below.
    mallopt(M_ARENA_MAX, 2);
    QCoreApplication app(argc, argv);
    QFile picture;
    if (!picture.open(kPicture, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return 2;
    const bool asked = argc > 1 && std::strcmp(argv[1], "--probe") == 0;
    LoadBeforeShutOff(picture, asked);
    baseline = AddressSpace() + (qint64(128) << 20);   // and room for threads' stacks and a heap
    const rlimit cpu{30, 31};
    ::setrlimit(RLIMIT_CPU, &cpu);
    if (!ShutOff()) return 3;
    Misbehave();
    // Out without the exit handlers: nothing is left to tidy, and a
    // sanitizer's leak check would reach for files.
    if (asked) {   // only whether the file holds a picture the game reads
        Send(About(IsPicture(picture) ? WallMessage::Size : WallMessage::Refused, QSize(0, 0)));
        ::_exit(0);
    }
    SetPictureAllocator(SharedPicture);
    SetPictureSizeHook(SizeKnown);
    PictureResult r = DecodePicture(picture);
    if (r.image.isNull()) Refuse(r.error.isEmpty() ? QStringLiteral("the picture could not be decoded.") : r.error);
    else HandBack(std::move(r.image));
    ::_exit(0);
}
