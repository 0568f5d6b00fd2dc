// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_copy.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
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

constexpr std::string_view ShowRequest = "show\n";
constexpr std::string_view OpenPrefix = "open ";
constexpr std::string_view ShowAnswer = "shown\n";
constexpr milliseconds AnswerTimeout{2000};
constexpr milliseconds LockTimeout{5000};
// How long a later start waits for a copy that is on its way out to let go of the socket.
constexpr milliseconds ExitingCopyWait{10000};
constexpr milliseconds RetryPause{50};
// A request longer than this is not one of ours: a path is at most PATH_MAX bytes, each at most "%XX".
constexpr std::size_t MaxRequest = 3 * PATH_MAX + 16;
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

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
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
    std::string path = folder + "/zelvara-" + sanitizedDisplay(display);
    sockaddr_un address{};
    if (!fillAddress(path + ".lock", address)) {
        if (problem)
            *problem = path + ": too long for a socket";
        return {};
    }
    return path;
}

std::string encodeRequest(const std::string &file)
{
    if (file.empty())
        return std::string(ShowRequest);
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out(OpenPrefix);
    for (const char ch : file) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte <= ' ' || byte == '%' || byte == 0x7F) {
            out += '%';
            out += Hex[byte >> 4U];
            out += Hex[byte & 0x0FU];
        } else {
            out += ch;
        }
    }
    out += '\n';
    return out;
}

std::optional<Request> decodeRequest(std::string_view line)
{
    if (line == ShowRequest)
        return Request{};
    if (!line.starts_with(OpenPrefix) || !line.ends_with('\n'))
        return std::nullopt;
    line.remove_prefix(OpenPrefix.size());
    line.remove_suffix(1);
    std::string file;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (static_cast<unsigned char>(line[i]) <= ' ')
            return std::nullopt;
        if (line[i] != '%') {
            file += line[i];
            continue;
        }
        if (i + 2 >= line.size())
            return std::nullopt;
        const int high = hexValue(line[i + 1]);
        const int low = hexValue(line[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        file += static_cast<char>(high * 16 + low);
        i += 2;
    }
    // A path to a file: absolute, with no byte that no path can hold.
    if (!file.starts_with('/') || file.size() > PATH_MAX || file.find('\0') != std::string::npos)
        return std::nullopt;
    return Request{std::move(file)};
}

struct SingleCopy::Connection
{
    int fd = -1;
    std::string request;
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
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(socket.get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waitFor(socket.get(), POLLOUT, deadline))
                return Answer::NoAnswer;
        } else {
            return Answer::NoAnswer;
        }
    }
    // Waiting for the answer keeps this copy alive until the running one has acted, so that a caller
    // who sees this copy end can count on the window being back.
    std::string answer;
    while (answer.find('\n') == std::string::npos && answer.size() < ShowAnswer.size()) {
        if (!waitFor(socket.get(), POLLIN, deadline))
            return Answer::NoAnswer;
        char buffer[64];
        const ssize_t n = ::recv(socket.get(), buffer, sizeof(buffer), 0);
        if (n > 0)
            answer.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return Answer::NoAnswer;
    }
    return answer == ShowAnswer ? Answer::Shown : Answer::NoAnswer;
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
            return; // the rest of the request is still on its way
        if (n <= 0) {
            drop(connection);
            return;
        }
        connection->request.append(buffer, static_cast<std::size_t>(n));
        const std::size_t end = connection->request.find('\n');
        if (end != std::string::npos) {
            const std::optional<Request> request =
                decodeRequest(std::string_view(connection->request).substr(0, end + 1));
            if (request) {
                emit showRequested();
                ::send(connection->fd, ShowAnswer.data(), ShowAnswer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                if (!request->file.empty()) {
                    const QString path = QFile::decodeName(QByteArray::fromStdString(request->file));
                    QTimer::singleShot(0, this, [this, path] { emit openRequested(path); });
                }
            }
            drop(connection);
            return;
        }
        if (connection->request.size() > MaxRequest) {
            drop(connection);
            return;
        }
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
