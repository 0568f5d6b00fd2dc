// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/window_look.h"

#include "platform/jpeg_image.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProxyStyle>

#include <vector>

using namespace Qt::StringLiterals;

namespace zelvara::widgets {

namespace {

QFont pixelFont(const QStringList &families, int pixelSize)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

// Qt's name for a picture drawn at twice the size: "banner@2x.jpg" beside "banner.jpg".
QString twiceSizePath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < path.lastIndexOf(u'/'))
        return path + u"@2x"_s;
    return path.left(dot) + u"@2x"_s + path.mid(dot);
}

QPixmap picture(const QString &path)
{
    return path.endsWith(u".jpg"_s) ? platform::loadJpeg(path) : pngPixmap(path);
}

// Only the checked button of a group keeps its Tab stop; the others are reached with the arrow keys.
void keepTabStopOn(const std::vector<QAbstractButton *> &group)
{
    const auto checked = std::find_if(group.begin(), group.end(), [](auto *b) { return b->isChecked(); });
    if (checked == group.end())
        return;
    for (QAbstractButton *button : group) {
        const Qt::FocusPolicy policy = button->focusPolicy();
        button->setFocusPolicy(button == *checked ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                                  : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

} // namespace

QFont sansFont(int pixelSize)
{
    return pixelFont({u"Liberation Sans"_s, u"DejaVu Sans"_s}, pixelSize);
}

QFont narrowFont(int pixelSize)
{
    return pixelFont({u"Liberation Sans Narrow"_s, u"DejaVu Sans Condensed"_s}, pixelSize);
}

QPixmap pngPixmap(const QString &path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon pngIcon(const QString &normal, const QString &disabled)
{
    QIcon icon;
    // The larger drawings are read only where a screen is scaled, so a start at 100 % reads no more files
    // than before.
    const bool scaled = qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1;
    const auto add = [&icon, scaled](const QString &path, QIcon::Mode mode) {
        icon.addPixmap(pngPixmap(path), mode);
        if (!scaled)
            return;
        if (const QPixmap twice = artwork(path, 2); twice.devicePixelRatio() > 1)
            icon.addPixmap(twice, mode);
    };
    add(normal, QIcon::Normal);
    if (!disabled.isEmpty())
        add(disabled, QIcon::Disabled);
    return icon;
}

namespace {

class ProgramStyle final : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        // The menu bar makes its overflow button, with this picture, when it is built.
        if (which == SP_ToolBarHorizontalExtensionButton) {
            const QString folder = u":/qt-project.org/styles/commonstyle/images/"_s;
            const QString name =
                widget && widget->layoutDirection() == Qt::RightToLeft ? u"toolbar-ext-h-rtl-"_s : u"toolbar-ext-h-"_s;
            QIcon icon;
            for (const int size : {8, 16, 32})
                icon.addPixmap(pngPixmap(folder + name + QString::number(size) + u".png"_s));
            return icon;
        }
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

void useProgramStyle()
{
    QApplication::setStyle(new ProgramStyle); // the application owns its style
}

QPixmap artwork(const QString &path, qreal ratio)
{
    if (ratio > 1) {
        QPixmap twice = picture(twiceSizePath(path));
        if (!twice.isNull()) {
            twice.setDevicePixelRatio(2);
            return twice;
        }
    }
    return picture(path);
}

void tabToCheckedOption(std::initializer_list<QAbstractButton *> buttons)
{
    // The toolkit moves the stop only to a button that takes the focus; a button checked by the program
    // would leave it on the one the player last visited.
    const std::vector<QAbstractButton *> group(buttons);
    for (QAbstractButton *button : group) {
        QObject::connect(button, &QAbstractButton::toggled, button, [group](bool on) {
            if (on)
                keepTabStopOn(group);
        });
    }
    keepTabStopOn(group);
}

} // namespace zelvara::widgets
