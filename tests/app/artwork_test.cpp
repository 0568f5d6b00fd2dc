// SPDX-License-Identifier: GPL-3.0-or-later
// The artwork at the screen's scale. CTest runs this program twice: at 100 %, where every picture must be
// the one drawn for 100 % pixel for pixel, and with QT_SCALE_FACTOR=2, where the window must show the
// drawings made at twice the size, carrying ratio 2, rather than the small ones blown up.

#include "app/main_window.h"
#include "platform/jpeg_image.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"
#include "widgets/window_look.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;
using zelvara::app::TZelvara;
using zelvara::testing::RecordingDesktop;

namespace {

// The file drawn for this screen: "pool4@2x.jpg" on a scaled one.
QString drawnFor(const QString &name, qreal ratio)
{
    if (ratio <= 1)
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    return name.left(dot) + u"@2x"_s + name.mid(dot);
}

// The pixels alone, whatever ratio they carry.
QImage pixels(const QPixmap &pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return image;
}

QImage decoded(const QString &path)
{
    return pixels(path.endsWith(u".jpg"_s) ? zelvara::platform::loadJpeg(path) : zelvara::widgets::pngPixmap(path));
}

} // namespace

class ArtworkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pictures_drawnForTheScreensScale_data();
    void pictures_drawnForTheScreensScale();
    void buttonPictures_drawnForTheScreensScale();

private:
    template <typename T> T *find(const QString &name) const
    {
        return zelvara::testing::findControl<T>(*m_window, name);
    }

    qreal m_ratio = 1;
    RecordingDesktop m_desktop;
    std::unique_ptr<TZelvara> m_window;
};

void ArtworkTest::initTestCase()
{
    m_ratio = qgetenv("QT_SCALE_FACTOR") == "2" ? 2 : 1;
    // The offscreen platform scales as a real screen does.
    QCOMPARE(qApp->devicePixelRatio(), m_ratio);
}

void ArtworkTest::init()
{
    m_window = std::make_unique<TZelvara>(m_desktop);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void ArtworkTest::cleanup()
{
    m_window.reset();
}

void ArtworkTest::pictures_drawnForTheScreensScale_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::newRow("banner") << 4 << u"Preference"_s << u":/images/banner.jpg"_s << QSize(510, 93);
    QTest::newRow("sheet for 4") << 4 << u"PoolFor4"_s << u":/images/pool4.jpg"_s << QSize(363, 363);
    // A hidden sheet's picture is read when the sheet first shows, on the screen it shows on.
    QTest::newRow("sheet for 3") << 3 << u"PoolFor3"_s << u":/images/pool3.jpg"_s << QSize(363, 363);
    QTest::newRow("sheet for 2") << 2 << u"PoolFor2"_s << u":/images/pool2.jpg"_s << QSize(363, 363);
}

void ArtworkTest::pictures_drawnForTheScreensScale()
{
    QFETCH(int, players);
    QFETCH(QString, label);
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QTest::mouseClick(find<QRadioButton>(u"Players"_s + QString::number(players)), Qt::LeftButton);
    const QPixmap shown = find<QLabel>(label)->pixmap();
    QCOMPARE(shown.devicePixelRatio(), m_ratio);
    QCOMPARE(shown.size(), size * m_ratio);
    QCOMPARE(shown.deviceIndependentSize().toSize(), size);
    QCOMPARE(pixels(shown), decoded(drawnFor(file, m_ratio)));
}

void ArtworkTest::buttonPictures_drawnForTheScreensScale()
{
    // A 32 x 32 button picture painted on this screen: at 200 % the 64 x 64 drawing, not the small one
    // enlarged.
    const QIcon icon = find<QPushButton>(u"Calculate"_s)->icon();
    const QPixmap painted = icon.pixmap(QSize(32, 32), m_ratio);
    QCOMPARE(painted.size(), QSize(32, 32) * m_ratio);
    QCOMPARE(pixels(painted), decoded(drawnFor(u":/images/calculate.png"_s, m_ratio)));
}

QTEST_MAIN(ArtworkTest)
#include "artwork_test.moc"
