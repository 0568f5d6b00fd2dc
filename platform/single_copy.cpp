// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_copy.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace zelvara::platform {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The conversation: the later start sends its request; the running copy answers that it has taken it;
// the later start tells it to go ahead and from then on counts as handed over; the running copy acts,
// and says when its window is forward.
constexpr std::string_view ShowRequest = "show";
constexpr std::string_view OpenPrefix = "open ";
constexpr std::string_view TakenAnswer = "taken";
constexpr std::string_view GoAhead = "go";
constexpr std::string_view ShownAnswer = "shown";
constexpr milliseconds AnswerTimeout{2000};
constexpr milliseconds LockTimeout{5000};
// How long a later start waits for a copy that is on its way out to let go of the socket.
constexpr milliseconds ExitingCopyWait{10000};
constexpr milliseconds RetryPause{50};
// Requests being read at once; a later start sends its request at once, so this is never reached.
constexpr std::size_t MaxConnections = 16;

// A file descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    Descriptor(Descriptor &&) = delete;
    Descriptor &operator=(Descriptor &&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

bool fillAddress(const std::string &path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// The user id of the process at the other end of a connected Unix socket (for a client: of the process
// that set the listener up).
bool peerIsUs(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials))
        return false;
    return credentials.uid == ::geteuid();
}

// The socket API takes every kind of address through its generic type.
const sockaddr *generic(const sockaddr_un &address)
{
    return reinterpret_cast<const sockaddr *>(&address); // NOLINT(cppcoreguidelines-pro-type-reinterpret-cast)
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

const char *envOrEmpty(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string describe(FolderCheck check)
{
    switch (check) {
    case FolderCheck::Private:
        return "private";
    case FolderCheck::Missing:
        return "missing";
    case FolderCheck::Unreadable:
        return "cannot be examined";
    case FolderCheck::Link:
        return "a symbolic link";
    case FolderCheck::NotAFolder:
        return "not a folder";
    case FolderCheck::WrongOwner:
        return "owned by another user";
    case FolderCheck::OpenToOthers:
        return "open to other users";
    }
    return {};
}

// Sends all of `bytes` before the deadline.
bool sendAll(int fd, std::string_view bytes, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitFor(fd, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// The next message from `fd` before the deadline.
std::optional<std::string> receive(int fd, Clock::time_point deadline)
{
    FrameReader reader;
    for (;;) {
        if (std::optional<std::string> message = reader.next())
            return message;
        if (reader.broken() || !waitFor(fd, POLLIN, deadline))
            return std::nullopt;
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n > 0)
            reader.add(std::string_view(buffer, static_cast<std::size_t>(n)));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return std::nullopt;
    }
}

// A short message to a connection that has room for it: the listener never waits on a later start.
bool sendNow(int fd, std::string_view message)
{
    const std::string bytes = frame(message);
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) == static_cast<ssize_t>(bytes.size());
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

} // namespace

FolderCheck checkPrivateFolder(const std::string &path, uid_t owner)
{
    struct stat info
    {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? FolderCheck::Missing : FolderCheck::Unreadable;
    if (S_ISLNK(info.st_mode))
        return FolderCheck::Link;
    if (!S_ISDIR(info.st_mode))
        return FolderCheck::NotAFolder;
    if (info.st_uid != owner)
        return FolderCheck::WrongOwner;
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return FolderCheck::OpenToOthers;
    return FolderCheck::Private;
}

std::string channelFolder(std::string *problem)
{
    const uid_t uid = ::geteuid();
    std::string runtime = envOrEmpty("XDG_RUNTIME_DIR");
    if (runtime.starts_with('/') && checkPrivateFolder(runtime, uid) == FolderCheck::Private)
        return runtime;

    std::string temporary = envOrEmpty("TMPDIR");
    if (!temporary.starts_with('/'))
        temporary = "/tmp";
    std::string folder = temporary + "/zelvara-" + std::to_string(uid);
    // Created private from the start; an existing one is taken only as it is, never repaired: whoever
    // made it open could have put anything inside already.
    if (::mkdir(folder.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
        if (problem)
            *problem = folder + ": cannot be created: " + std::strerror(errno);
        return {};
    }
    const FolderCheck check = checkPrivateFolder(folder, uid);
    if (check != FolderCheck::Private) {
        if (problem)
            *problem = folder + ": " + describe(check);
        return {};
    }
    return folder;
}

std::string sanitizedDisplay(std::string_view display)
{
    std::string out;
    for (const char ch : display) {
        const bool safe =
            (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '.' || ch == '-';
        out += safe ? ch : '_';
    }
    return out;
}

std::string displayWithoutScreen(std::string_view display)
{
    // host:display.screen
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos)
        return std::string(display);
    const std::size_t dot = display.find('.', colon);
    if (dot == std::string_view::npos || !isDigits(display.substr(colon + 1, dot - colon - 1)) ||
        !isDigits(display.substr(dot + 1)))
        return std::string(display);
    return std::string(display.substr(0, dot));
}

std::string defaultSocketPath(std::string *problem)
{
    const std::string folder = channelFolder(problem);
    if (folder.empty())
        return {};
    std::string display = envOrEmpty("DISPLAY");
    if (display.empty())
        display = envOrEmpty("WAYLAND_DISPLAY");
    if (display.empty())
        display = "nodisplay";
    std::string path = folder + "/zelvara-" + sanitizedDisplay(displayWithoutScreen(display));
    sockaddr_un address{};
    if (!fillAddress(path + ".lock", address)) {
        if (problem)
            *problem = path + ": too long for a socket";
        return {};
    }
    return path;
}

std::string frame(std::string_view message)
{
    const auto size = static_cast<std::uint32_t>(message.size());
    std::string out;
    out.reserve(4 + message.size());
    for (const unsigned shift : {24U, 16U, 8U, 0U})
        out += static_cast<char>((size >> shift) & 0xFFU);
    out += message;
    return out;
}

std::optional<std::string> FrameReader::next()
{
    if (m_broken || m_bytes.size() < 4)
        return std::nullopt;
    std::size_t size = 0;
    for (std::size_t i = 0; i < 4; ++i)
        size = (size << 8U) | static_cast<unsigned char>(m_bytes[i]);
    if (size > MaxMessage) {
        m_broken = true;
        m_bytes.clear();
        return std::nullopt;
    }
    if (m_bytes.size() < 4 + size)
        return std::nullopt;
    std::string message = m_bytes.substr(4, size);
    m_bytes.erase(0, 4 + size);
    return message;
}

std::string encodeRequest(const std::string &file)
{
    return frame(file.empty() ? std::string(ShowRequest) : std::string(OpenPrefix) + file);
}

std::optional<Request> decodeRequest(std::string_view message)
{
    if (message == ShowRequest)
        return Request{};
    if (!message.starts_with(OpenPrefix))
        return std::nullopt;
    message.remove_prefix(OpenPrefix.size());
    // A path to a file: absolute, with no byte that no path can hold.
    if (!message.starts_with('/') || message.size() > PATH_MAX || message.find('\0') != std::string_view::npos)
        return std::nullopt;
    return Request{std::string(message)};
}

struct SingleCopy::Connection
{
    int fd = -1;
    FrameReader reader;
    // Taken and answered, waiting for the later start's go-ahead.
    std::optional<Request> request;
    QSocketNotifier *notifier = nullptr;
};

SingleCopy::SingleCopy(std::string socketPath, QObject *parent) : QObject(parent), m_socketPath(std::move(socketPath))
{}

SingleCopy::~SingleCopy()
{
    release();
}

SingleCopy::Claim SingleCopy::claim(const std::string &file)
{
    sockaddr_un address{};
    if (!fillAddress(m_socketPath + ".lock", address))
        return Claim::Failed;
    const std::string request = encodeRequest(file);

    // The lock covers "is anyone there? if not, listen": without it two copies could both find a stale
    // socket, and the second one's clean-up would remove the first one's fresh socket. The system drops
    // it when its holder dies, so a crash leaves no lock behind.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg): open() takes the mode of a new file this way
    Descriptor lock(::open((m_socketPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    bool locked = false;
    const auto lockDeadline = Clock::now() + LockTimeout;
    while (lock.get() >= 0 && !locked) {
        locked = ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0;
        if (locked || (errno != EWOULDBLOCK && errno != EINTR) || Clock::now() > lockDeadline)
            break;
        std::this_thread::sleep_for(milliseconds(10));
    }

    const auto exitingCopyDeadline = Clock::now() + ExitingCopyWait;
    for (;;) {
        switch (askRunningCopy(request)) {
        case Answer::Shown:
            return Claim::HandedOver;
        case Answer::NoCopy:
            if (listen())
                return Claim::First;
            // A socket nobody of ours answers on is what a crashed copy leaves behind.
            ::unlink(m_socketPath.c_str());
            if (listen())
                return Claim::First;
            // Without the lock another copy may have won in the meantime.
            if (!locked && askRunningCopy(request) == Answer::Shown)
                return Claim::HandedOver;
            return Claim::Failed;
        case Answer::NoAnswer:
            // A copy that is ending lets go of its socket in a moment; the player who started this
            // one still gets a window. A copy that stays hung is left alone and this one runs anyway.
            if (Clock::now() > exitingCopyDeadline)
                return Claim::Failed;
            std::this_thread::sleep_for(RetryPause);
            break;
        }
    }
}

SingleCopy::Answer SingleCopy::askRunningCopy(const std::string &request) const
{
    sockaddr_un address{};
    if (!fillAddress(m_socketPath, address))
        return Answer::NoCopy;
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.get() < 0)
        return Answer::NoCopy;
    if (::connect(socket.get(), generic(address), sizeof(address)) != 0) {
        // A full backlog means a copy too busy to take connections: it is still running, and its socket
        // must not be mistaken for a crashed copy's and removed.
        return errno == EAGAIN ? Answer::NoAnswer : Answer::NoCopy;
    }
    // Someone else's listener learns nothing, not even which file this start was given.
    if (!peerIsUs(socket.get()))
        return Answer::NoCopy;

    const auto deadline = Clock::now() + AnswerTimeout;
    if (!sendAll(socket.get(), request, deadline) || receive(socket.get(), deadline) != TakenAnswer)
        return Answer::NoAnswer;
    // Once the go-ahead is on its way the running copy acts on it whenever it reads it, so from here on
    // this start has handed over, whatever comes back. Without it, a copy that took the request too late
    // never acts: it may be one this start gave up on and is about to replace with a window of its own.
    if (!sendAll(socket.get(), frame(GoAhead), deadline))
        return Answer::NoAnswer;
    // Waiting for the window to be forward keeps this start alive until the running copy has acted, so
    // that a caller who sees this start end can count on the window being back.
    (void)receive(socket.get(), Clock::now() + AnswerTimeout);
    return Answer::Shown;
}

bool SingleCopy::listen()
{
    sockaddr_un address{};
    if (!fillAddress(m_socketPath, address))
        return false;
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.get() < 0)
        return false;
    if (::bind(socket.get(), generic(address), sizeof(address)) != 0)
        return false;
    // The folder already keeps others out; the socket itself says the same.
    ::chmod(m_socketPath.c_str(), S_IRUSR | S_IWUSR);
    if (::listen(socket.get(), SOMAXCONN) != 0) {
        ::unlink(m_socketPath.c_str());
        return false;
    }
    m_listener = socket.release();
    return true;
}

void SingleCopy::answer()
{
    if (m_listener < 0 || m_listenerNotifier)
        return;
    m_listenerNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_listenerNotifier, &QSocketNotifier::activated, this, &SingleCopy::acceptConnections);
}

void SingleCopy::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        // Only this user's own later starts are heard; anyone else is hung up on unread.
        if (!peerIsUs(fd)) {
            ::close(fd);
            continue;
        }
        if (m_connections.size() >= MaxConnections)
            drop(m_connections.front().get());
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        Connection *raw = connection.get();
        connect(connection->notifier, &QSocketNotifier::activated, this, [this, raw] { readFrom(raw); });
        m_connections.push_back(std::move(connection));
        readFrom(raw);
    }
}

void SingleCopy::readFrom(Connection *connection)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(connection->fd, buffer, sizeof(buffer), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return; // the rest is still on its way
        if (n <= 0) {
            // Hung up before the go-ahead (a start that gave up waiting): its request is dropped.
            drop(connection);
            return;
        }
        connection->reader.add(std::string_view(buffer, static_cast<std::size_t>(n)));
        while (const std::optional<std::string> message = connection->reader.next()) {
            if (!connection->request) {
                connection->request = decodeRequest(*message);
                if (!connection->request || !sendNow(connection->fd, TakenAnswer)) {
                    drop(connection);
                    return;
                }
                continue;
            }
            if (*message == GoAhead)
                act(connection);
            drop(connection);
            return;
        }
        if (connection->reader.broken()) {
            drop(connection);
            return;
        }
    }
}

void SingleCopy::act(Connection *connection)
{
    // Taken before anything runs that is not this class's own.
    const int fd = connection->fd;
    const std::string file = connection->request->file;
    emit showRequested();
    sendNow(fd, ShownAnswer);
    if (!file.empty()) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(file));
        QTimer::singleShot(0, this, [this, path] { emit openRequested(path); });
    }
}

void SingleCopy::drop(Connection *connection)
{
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [connection](const auto &owned) { return owned.get() == connection; });
    if (found == m_connections.end())
        return;
    // The notifier may be the one whose signal is running now: it goes once that has returned.
    connection->notifier->setEnabled(false);
    connection->notifier->deleteLater();
    ::close(connection->fd);
    m_connections.erase(found);
}

void SingleCopy::release()
{
    if (m_listener < 0)
        return;
    if (m_listenerNotifier) {
        m_listenerNotifier->setEnabled(false);
        m_listenerNotifier->deleteLater();
        m_listenerNotifier = nullptr;
    }
    while (!m_connections.empty())
        drop(m_connections.back().get());
    // The name goes first: a start that finds no socket listens itself, while one that found the socket
    // just before it closed only retries.
    ::unlink(m_socketPath.c_str());
    ::close(m_listener);
    m_listener = -1;
}

} // namespace zelvara::platform
