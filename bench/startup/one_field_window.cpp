// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick Zelvara's start-up is held to: a Qt Widgets window with one text field, one JPEG picture
// (through Qt's own image plugin) and a local socket that takes connections from the event loop, as a
// single-copy program needs. Built with the same compiler, flags and Qt as Zelvara.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSocketNotifier>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A listening socket in the runtime folder; -1 when none can be made.
int listenLocally(std::string &path)
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    path = std::string(runtime && *runtime ? runtime : "/tmp") + "/zelvara-one-field-" + std::to_string(::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

int main(int argc, char *argv[])
{
    std::string socketPath;
    const int listener = listenLocally(socketPath);

    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(u"Zelvara one-field window"_s);
    window.setFixedSize(511, 473);
    QLabel picture(&window);
    picture.setPixmap(QPixmap(u":/one-field/banner.jpg"_s));
    picture.move(0, 0);
    QLineEdit field(&window);
    field.setGeometry(20, 420, 200, 21);

    if (listener >= 0) {
        auto *notifier = new QSocketNotifier(listener, QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [listener] {
            const int peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer >= 0)
                ::close(peer);
        });
    }
    window.show();
    const int status = QApplication::exec();
    if (listener >= 0) {
        ::unlink(socketPath.c_str());
        ::close(listener);
    }
    return status;
}
