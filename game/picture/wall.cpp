#include "game/picture/wall.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <utility>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pz {

namespace {

QString Unsafe(const QString& why) { return QStringLiteral("the picture could not be read safely: %1").arg(why); }

// Why a decoder that gave no answer ended.
QString Ended(int status, bool overran, int seconds) {
    if (overran) return Unsafe(QStringLiteral("reading it took more than %1 seconds.").arg(seconds));
    if (WIFSIGNALED(status)) {
        switch (WTERMSIG(status)) {
        case SIGXCPU: return Unsafe(QStringLiteral("reading it took more than %1 seconds of work.").arg(seconds));
        case SIGSYS: return Unsafe(QStringLiteral("the decoder tried something no picture reader needs, and was stopped."));
        default:
            return Unsafe(QStringLiteral("the decoder stopped (%1); the file may be damaged or made to harm.")
                              .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status)))));
        }
    }
    return Unsafe(QStringLiteral("the decoder ended without an answer (code %1); it may have run out of the memory "
                                 "one picture may have.")
                      .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
}

// One message and the descriptor that may come with it; false when the
// decoder has gone.
bool Receive(int socket, WallMessage& m, int& fd) {
    char control[CMSG_SPACE(sizeof(int))] = {};
    iovec io{&m, sizeof m};
    msghdr h{};
    h.msg_iov = &io;
    h.msg_iovlen = 1;
    h.msg_control = control;
    h.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(socket, &h, MSG_CMSG_CLOEXEC);
    if (n != ssize_t(sizeof m)) return false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&h); c; c = CMSG_NXTHDR(&h, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) std::memcpy(&fd, CMSG_DATA(c), sizeof fd);
    m.text[sizeof m.text - 1] = '\0';
    return true;
}

// The bytes of a picture of m's size in fd's memory, when that memory holds
// them; 0 when it does not, or when m is no picture the game would take.
qint64 PictureBytes(int fd, const WallMessage& m) {
    const qint64 bytes = qint64(m.bytesPerLine) * m.height;
    if (fd < 0 || m.width <= 0 || m.height <= 0 || m.bytesPerLine != qint64(m.width) * 4 ||
        qint64(m.width) * m.height > kMaxPicturePixels)
        return 0;
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_size >= bytes ? bytes : 0;
}

// The mapped memory as the picture m: the pixels are not copied on the way.
QImage PictureAt(void* p, size_t bytes, const WallMessage& m) {
    struct Mapping {
        void* at;
        size_t size;
    };
    return QImage(static_cast<uchar*>(p), m.width, m.height, m.bytesPerLine, QImage::Format_RGB32,
                  [](void* info) {
                      auto* mapping = static_cast<Mapping*>(info);
                      ::munmap(mapping->at, mapping->size);
                      delete mapping;
                  },
                  new Mapping{p, bytes});
}

// The picture in the decoder's shared memory, mapped here once it is done.
QImage Mapped(int fd, const WallMessage& m) {
    const qint64 bytes = PictureBytes(fd, m);
    if (bytes <= 0) return {};
    // Mapped in at once: page by page it would cost a fault each.
    void* p = ::mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0);
    return p == MAP_FAILED ? QImage() : PictureAt(p, size_t(bytes), m);
}

// The memory of the picture the decoder is filling, mapped here as soon as
// it is made and read through while the decoder works: the first look at
// each page costs the game something of its own (much, on some virtual
// machines), better paid before the picture is done than after.
class EarlyMemory {
public:
    EarlyMemory() = default;
    EarlyMemory(const EarlyMemory&) = delete;
    EarlyMemory& operator=(const EarlyMemory&) = delete;
    ~EarlyMemory() { Drop(); }

    // Takes fd (closed here in any case): kept when it is sealed at a size
    // fit for m, so that the decoder cannot pull it from under the mapping.
    void Take(int fd, const WallMessage& m) {
        Drop();
        const qint64 bytes = PictureBytes(fd, m);
        const int seals = fd < 0 ? 0 : ::fcntl(fd, F_GET_SEALS);
        void* p = bytes > 0 && seals > 0 && (seals & F_SEAL_SHRINK)
                      ? ::mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                      : MAP_FAILED;
        if (p == MAP_FAILED) {
            if (fd >= 0) ::close(fd);
            return;
        }
        fd_ = fd, at_ = p, size_ = size_t(bytes), m_ = m;
    }
    bool Pending() const { return at_ && read_ < size_; }
    // Looks at the next megabyte's pages.
    void ReadSome() {
        const size_t end = std::min(size_, read_ + (size_t(1) << 20));
        const volatile uchar* bytes = static_cast<const uchar*>(at_);
        for (; read_ < end; read_ += 4096) (void)bytes[read_];
    }
    // The picture m in fd's memory: from this mapping when that is the
    // memory, else mapped anew.
    QImage Picture(int fd, const WallMessage& m) {
        struct stat mine {}, theirs {};
        const bool same = at_ && fd >= 0 && ::fstat(fd_, &mine) == 0 && ::fstat(fd, &theirs) == 0 &&
                          mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino && m.width == m_.width &&
                          m.height == m_.height && m.bytesPerLine == m_.bytesPerLine;
        if (!same) return Mapped(fd, m);
        QImage picture = PictureAt(at_, size_, m);
        at_ = nullptr;   // the picture unmaps it
        Drop();
        return picture;
    }

private:
    void Drop() {
        if (at_) ::munmap(at_, size_);
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1, at_ = nullptr, size_ = read_ = 0;
    }
    int fd_ = -1;
    void* at_ = nullptr;
    size_t size_ = 0, read_ = 0;
    WallMessage m_{};
};

}  // namespace

QString DecoderPath() {
    const QString name = QStringLiteral("puzzora-decoder");
    QStringList places;
    if (const QString given = qEnvironmentVariable("PUZZORA_DECODER"); !given.isEmpty()) places << given;
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    // Beside the game, in its installed place, or a folder up (the build
    // folder, seen from its tests and benchmarks).
    if (!exeDir.isEmpty())
        places << QDir(exeDir).filePath(name) << QDir(exeDir).filePath(QStringLiteral(PUZZORA_BIN_TO_DECODER) + '/' + name)
               << QDir(exeDir).filePath(QStringLiteral("../") + name);
    if (const QString dir = qEnvironmentVariable("PUZZORA_CONTROL_DIR"); !dir.isEmpty()) places << QDir(dir).filePath(name);
    for (const QString& p : places)
        if (QFileInfo(p).isExecutable() && QFileInfo(p).isFile()) return QFileInfo(p).absoluteFilePath();
    return {};
}

namespace {

// What the decoder answered about one file, or how it ended without.
struct Answer {
    QString failure;   // it could not even be asked
    bool answered = false, overran = false, cancelled = false;
    WallMessage m{};
    int fd = -1;   // the picture's memory, with a picture
    int status = 0, seconds = 10;
    qint64 peak = -1;   // the decoder's peak resident size, where known
    std::unique_ptr<EarlyMemory> memory = std::make_unique<EarlyMemory>();
};

QByteArray ProcStatus(pid_t child) {
    QFile f(QStringLiteral("/proc/%1/status").arg(child));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The decoder started on the file in this mode (empty, or "--probe"), its
// socket in socket; -1 with a's failure set when it could not be.
pid_t Spawn(const QString& path, const char* mode, int& socket, Answer& a) {
    const QString decoder = DecoderPath();
    if (decoder.isEmpty()) {
        a.failure = Unsafe(QStringLiteral("the decoder program puzzora-decoder is not installed."));
        return -1;
    }
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        a.failure = QString::fromLocal8Bit(strerror(errno));
        return -1;
    }
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sockets) != 0) {
        ::close(file);
        a.failure = Unsafe(QString::fromLocal8Bit(strerror(errno)));
        return -1;
    }
    // The child gets the file as descriptor 3 and its end of the socket as 4.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, file, 3);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], 4);
    const QByteArray program = QFile::encodeName(decoder);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>(mode), nullptr};
    pid_t child = -1;
    const int spawned = posix_spawn(&child, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(file);
    ::close(sockets[1]);
    if (spawned != 0) {
        ::close(sockets[0]);
        a.failure = Unsafe(QStringLiteral("the decoder could not be started (%1).").arg(QString::fromLocal8Bit(strerror(spawned))));
        return -1;
    }
    socket = sockets[0];
    return child;
}

// The decoder's answer into a, waited for until it comes, the decoder goes,
// the time is up or the read is cancelled.
void Await(int socket, bool decoding, const std::atomic<bool>* cancel, Answer& a) {
    // Everything settles within 10 seconds; 30 near the size limit.
    if (const int s = qEnvironmentVariableIntValue("PUZZORA_DECODER_SECONDS"); s > 0) a.seconds = s;
    auto due = std::chrono::steady_clock::now() + std::chrono::seconds(a.seconds);
    while (!a.answered) {
        if (cancel && cancel->load()) {
            a.cancelled = true;
            break;
        }
        if (std::chrono::steady_clock::now() > due) {
            a.overran = true;
            break;
        }
        pollfd p{socket, POLLIN, 0};
        if (::poll(&p, 1, a.memory->Pending() ? 0 : 50) <= 0) {
            a.memory->ReadSome();
            continue;
        }
        if (!Receive(socket, a.m, a.fd)) break;   // the decoder has gone
        if (a.m.kind == WallMessage::Memory) {
            a.memory->Take(std::exchange(a.fd, -1), a.m);
            continue;
        }
        if (a.m.kind == WallMessage::Size && decoding) {
            if (qint64(a.m.width) * a.m.height > (qint64(1) << 28)) {
                a.seconds = std::max(a.seconds, 30);
                due = std::chrono::steady_clock::now() + std::chrono::seconds(a.seconds);
            }
            continue;
        }
        a.answered = true;
    }
}

Answer Ask(const QString& path, const char* mode, const std::atomic<bool>* cancel) {
    Answer a;
    int socket = -1;
    const pid_t child = Spawn(path, mode, socket, a);
    if (child < 0) return a;
    Await(socket, mode[0] == '\0', cancel, a);
    if (a.answered) a.peak = a.m.peak;
    // One stopped here: its peak so far, read before it goes.
    if (!a.answered) a.peak = PeakResident(ProcStatus(child));
    if (!a.answered) ::kill(child, SIGKILL);
    while (::waitpid(child, &a.status, 0) < 0 && errno == EINTR) {
    }
    ::close(socket);
    return a;
}

}  // namespace

namespace {

// A game without its decoder program (a copied executable) still plays: it
// decodes in its own process, and says so once.
bool NoWall() {
    static const bool none = [] {
        const bool missing = DecoderPath().isEmpty();
        if (missing) qWarning("puzzora: puzzora-decoder not found; pictures are decoded in the game's own process.");
        return missing;
    }();
    return none;
}

}  // namespace

PictureResult ReadPictureBehindWall(const QString& path, const std::atomic<bool>* cancel, qint64* peak) {
    if (peak) *peak = -1;
    if (NoWall()) return ReadPicture(path, cancel);
    PictureResult r;
    Answer a = Ask(path, "", cancel);
    if (peak) *peak = a.peak;
    if (!a.failure.isEmpty()) {
        r.error = a.failure;
    } else if (a.cancelled) {
    } else if (!a.answered) {
        r.error = Ended(a.status, a.overran, a.seconds);
    } else if (a.m.kind == WallMessage::Refused) {
        r.error = QString::fromUtf8(a.m.text);
    } else {
        r.image = a.memory->Picture(a.fd, a.m);
        if (r.image.isNull()) r.error = Unsafe(QStringLiteral("the decoder's answer was not a picture."));
    }
    if (a.fd >= 0) ::close(a.fd);   // the mapping keeps the memory
    return r;
}

bool IsPictureBehindWall(const QString& path) {
    if (NoWall()) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) && IsPicture(f);
    }
    const Answer a = Ask(path, "--probe", nullptr);
    if (a.fd >= 0) ::close(a.fd);
    return a.answered && a.m.kind == WallMessage::Size;
}

}  // namespace pz
