// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Only one copy of the program runs per user and display. The first copy listens on a Unix socket in a
// folder only its user can enter; a later start connects, asks it to come forward (and to open a sheet
// file, when it was given one) and ends. Both ends check who is at the other end and ignore anyone but
// their own user.
//
// Claiming is plain POSIX and needs no application object, so that a later start hands over before it
// loads anything of the windowing toolkit; the running copy answers from the event loop.

#include <QObject>
#include <QString>

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class QSocketNotifier;

namespace zelvara::platform {

enum class FolderCheck {
    Private,     // a real folder of this user that nobody else may enter
    Missing,     // nothing at the path
    Unreadable,  // the path could not be examined
    Link,        // a symbolic link, whatever it points to
    NotAFolder,  // a file, socket or anything else
    WrongOwner,  // belongs to another user
    OpenToOthers // the group or others have any access
};

// What is at `path`, without following a link there.
FolderCheck checkPrivateFolder(const std::string &path, uid_t owner);

// The folder the channel lives in: $XDG_RUNTIME_DIR when it is private to this user, otherwise
// "zelvara-<uid>" in the temporary folder ($TMPDIR or /tmp), created 0700 when missing. Empty, with
// the reason in `problem`, when that folder is there but not safe: it is never repaired or reused.
std::string channelFolder(std::string *problem = nullptr);

// The part of a display name ($DISPLAY or $WAYLAND_DISPLAY) that may go into a socket name.
std::string sanitizedDisplay(std::string_view display);

// The display a name stands for: an X display's screen number goes, since "host:1" and "host:1.0"
// are one display with one running copy. Other names stay as they are.
std::string displayWithoutScreen(std::string_view display);

// "<channel folder>/zelvara-<display>": one socket per user and per display. Empty when there is no safe
// folder or the path is too long for a socket address.
std::string defaultSocketPath(std::string *problem = nullptr);

// Every message on the channel is a frame: its length in four bytes, most significant first, then the
// message itself, so a path travels as it is, whatever bytes it holds. A message is never longer than
// MaxMessage.
constexpr std::size_t MaxMessage = PATH_MAX + 16;
std::string frame(std::string_view message);

// Takes whole messages off the front of the bytes read so far.
class FrameReader
{
public:
    void add(std::string_view bytes) { m_bytes.append(bytes); }
    // The next whole message, or nothing while it is still on its way or the stream is broken.
    std::optional<std::string> next();
    // A length no message of ours has: whatever comes after it means nothing.
    bool broken() const { return m_broken; }

private:
    std::string m_bytes;
    bool m_broken = false;
};

// A request is the message "show", or "open " and a file path.
std::string encodeRequest(const std::string &file);
struct Request
{
    std::string file; // empty for a plain "come forward"
};
// Empty for anything that is not a well-formed request; a file must be an absolute path.
std::optional<Request> decodeRequest(std::string_view message);

class SingleCopy : public QObject
{
    Q_OBJECT

public:
    // An empty path gives a channel that always fails to claim: the program then simply runs.
    explicit SingleCopy(std::string socketPath, QObject *parent = nullptr);
    ~SingleCopy() override;
    SingleCopy(const SingleCopy &) = delete;
    SingleCopy &operator=(const SingleCopy &) = delete;
    SingleCopy(SingleCopy &&) = delete;
    SingleCopy &operator=(SingleCopy &&) = delete;

    enum class Claim {
        First,      // this copy now listens: it is the running copy
        HandedOver, // a running copy took the request: end this one
        Failed,     // neither listening nor reaching a copy worked; run anyway
    };

    // Settles whether this is the first copy; a later copy asks the running one to come forward and to
    // open `file` (an absolute path) when it is not empty. Two copies claiming at the same moment are
    // serialised by a lock, so exactly one becomes First; a socket left by a crashed copy, or planted by
    // anyone else, is replaced. Plain system calls: safe before the application object exists.
    //
    // A request is acted on only once this start has seen the running copy take it and has told it to go
    // ahead, after which this start always ends. A copy that was paused or hung while this start waited,
    // and that this start gave up on, finds the request unconfirmed when it comes back, and drops it: the
    // file opens in one window only, once.
    Claim claim(const std::string &file = {});

    // The first copy takes requests from now on, in the event loop of the application (which must exist).
    void answer();

    const std::string &socketPath() const { return m_socketPath; }

    // The run is ending: stop answering, so that a copy started now comes up with its own window
    // instead of handing over to one on its way out.
    void release();

signals:
    // A later start asked the running copy to come forward.
    void showRequested();
    // ... and to open this file (an absolute path, a file to open and nothing else). Delivered from the
    // event loop after the later start has had its answer, so a message box shown here holds up nobody.
    void openRequested(const QString &path);

private:
    enum class Answer {
        Shown,   // a running copy took the request and was told to act on it
        NoCopy,  // nothing of ours listens (no socket, a crashed copy's socket, or someone else's)
        NoAnswer // a copy was reached but did not take the request in time: it is exiting, or hung
    };
    Answer askRunningCopy(const std::string &request) const;
    bool listen();
    void acceptConnections();
    struct Connection;
    void readFrom(Connection *connection);
    void act(Connection *connection);
    void drop(Connection *connection);

    std::string m_socketPath;
    int m_listener = -1;
    QSocketNotifier *m_listenerNotifier = nullptr;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace zelvara::platform
