// SPDX-License-Identifier: MIT
#include "routines/picturebox.h"
#include "testwait.h"

#include <QTest>

#include <cmath>
#include <memory>

using routines::PictureBox;

namespace {

// A shown box whose drawing area is exactly `contents`, counting 1000 by 1000 as set-up does.
std::unique_ptr<PictureBox> makeBox(QSize contents, bool show = true)
{
    auto box = std::make_unique<PictureBox>();
    box->setScaleHeight(1000);
    box->setScaleWidth(1000);
    const int frame = 2 * box->frameWidth();
    box->resize(contents + QSize(frame, frame));
    if (show) {
        box->show();
        if (!QTest::qWaitForWindowExposed(box.get(), testwait::hangMs()))
            return nullptr;
    }
    return box;
}

// Pixel positions are rounded by the painter, so a ring pixel may sit one pixel off.
bool inkNear(const QImage &image, QPoint at, QColor ink)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (image.valid(p) && image.pixelColor(p) == ink)
                return true;
        }
    }
    return false;
}

bool transparentAt(const QImage &image, QPoint at)
{
    return image.valid(at) && image.pixelColor(at).alpha() == 0;
}

// The four extremes of a ring, and one point on it at 45 degrees.
QList<QPoint> ringPoints(QPoint centre, int r)
{
    const int d = int(std::lround(r / std::sqrt(2.0)));
    return {centre - QPoint(r, 0), centre + QPoint(r, 0), centre - QPoint(0, r),
            centre + QPoint(0, r), centre + QPoint(d, -d)};
}

QColor ink(const PictureBox &box)
{
    return box.palette().color(QPalette::WindowText);
}

} // namespace

class TestPictureBox : public QObject
{
    Q_OBJECT

private slots:
    void ringIsRoundAndCentred_data()
    {
        QTest::addColumn<QSize>("contents");
        QTest::addColumn<float>("radius");

        QTest::newRow("wider than high") << QSize(400, 240) << 250.0f;
        QTest::newRow("higher than wide") << QSize(200, 300) << 250.0f;
        QTest::newRow("small") << QSize(400, 240) << 40.0f;
        QTest::newRow("almost the whole height") << QSize(500, 260) << 240.0f;
    }
    void ringIsRoundAndCentred()
    {
        QFETCH(QSize, contents);
        QFETCH(float, radius);
        const auto box = makeBox(contents);
        QVERIFY(box);
        QCOMPARE(box->contentsRect().size(), contents);
        QCOMPARE(ink(*box), QColor(Qt::black));

        box->drawCircle(500, 500, radius);
        const QImage &layer = box->drawingLayer();
        QCOMPARE(layer.size(), contents);
        const QPoint centre(contents.width() / 2, contents.height() / 2);
        const int r = int(std::lround(radius * contents.width() / 1000.0));
        for (const QPoint &p : ringPoints(centre, r))
            QVERIFY2(inkNear(layer, p, ink(*box)),
                     qPrintable(QStringLiteral("no ink near %1,%2").arg(p.x()).arg(p.y())));
        // Outline only, and nothing outside the ring.
        QVERIFY(transparentAt(layer, centre));
        QVERIFY(transparentAt(layer, centre - QPoint(0, r / 2)));
        QVERIFY(transparentAt(layer, centre - QPoint(r / 2, 0)));
        QVERIFY(transparentAt(layer, QPoint(0, 0)));
        QVERIFY(transparentAt(layer, QPoint(contents.width() - 1, contents.height() - 1)));
        QVERIFY(box->picture().isNull());
    }

    void radiusPastHalfTheHeightIsCutOff()
    {
        const QSize contents(400, 160);
        const auto box = makeBox(contents);
        QVERIFY(box);
        box->drawCircle(500, 500, 300); // 120 pixels against a half height of 80
        const QImage &layer = box->drawingLayer();
        QCOMPARE(layer.size(), contents);
        QVERIFY(inkNear(layer, QPoint(80, 80), ink(*box)));
        QVERIFY(inkNear(layer, QPoint(320, 80), ink(*box)));
        // The ring crosses the top and bottom rows, 80 and 79 pixels from the centre.
        const auto across = [](int dy) {
            return int(std::lround(std::sqrt(120.0 * 120 - dy * dy)));
        };
        QVERIFY(inkNear(layer, QPoint(200 - across(80), 0), ink(*box)));
        QVERIFY(inkNear(layer, QPoint(200 + across(79), contents.height() - 1), ink(*box)));
        QVERIFY(transparentAt(layer, QPoint(200, 0)));
    }

    void circlesAccumulateAndSurviveRepaints()
    {
        const QSize contents(400, 240);
        const auto box = makeBox(contents);
        QVERIFY(box);
        box->drawCircle(500, 500, 250);
        box->drawCircle(500, 500, 100);
        const QImage drawn = box->drawingLayer().copy();
        const QPoint centre(200, 120);
        QVERIFY(inkNear(drawn, centre + QPoint(100, 0), ink(*box)));
        QVERIFY(inkNear(drawn, centre + QPoint(40, 0), ink(*box)));
        QVERIFY(box->picture().isNull());

        box->update();
        QTest::qWait(20);
        box->repaint();
        QCOMPARE(box->drawingLayer(), drawn);

        const QImage shown = box->grab().toImage();
        const QPoint origin = box->contentsRect().topLeft();
        for (const QPoint &p : {centre + QPoint(100, 0), centre - QPoint(0, 100),
                                centre + QPoint(40, 0), centre - QPoint(0, 40)}) {
            bool dark = false;
            for (int d = -1; d <= 1 && !dark; ++d) {
                dark = qGray(shown.pixel(origin + p + QPoint(d, 0))) < 64 ||
                       qGray(shown.pixel(origin + p + QPoint(0, d))) < 64;
            }
            QVERIFY2(dark,
                     qPrintable(QStringLiteral("ring missing at %1,%2").arg(p.x()).arg(p.y())));
        }
        QCOMPARE(shown.pixelColor(origin + centre), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(origin + QPoint(5, 5)), QColor(Qt::white));
    }

    void resizingKeepsEarlierCircles()
    {
        const QSize contents(300, 200);
        const auto box = makeBox(contents);
        QVERIFY(box);
        box->drawCircle(500, 500, 200);
        const QImage before = box->drawingLayer().copy();

        const QSize larger(420, 260);
        box->resize(box->size() + (larger - contents));
        QTRY_COMPARE_WITH_TIMEOUT(box->drawingLayer().size(), larger, testwait::hangMs());
        QCOMPARE(box->drawingLayer().copy(QRect(QPoint(0, 0), contents)), before);
        QVERIFY(inkNear(box->drawingLayer(), QPoint(150 + 60, 100), ink(*box)));
    }

    void storedPictureShowsUnderTheLayer()
    {
        const auto box = makeBox(QSize(400, 240));
        QVERIFY(box);
        box->drawCircle(500, 500, 250);
        const QImage layer = box->drawingLayer().copy();

        QImage red(20, 20, QImage::Format_RGB32);
        red.fill(Qt::red);
        box->setPicture(red);
        QCOMPARE(box->picture(), red);
        QCOMPARE(box->drawingLayer(), layer);

        const QImage shown = box->grab().toImage();
        const QPoint origin = box->contentsRect().topLeft();
        QCOMPARE(shown.pixelColor(origin), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(origin + QPoint(19, 19)), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(origin + QPoint(30, 30)), QColor(Qt::white));

        box->drawCircle(500, 500, 50);
        QCOMPARE(box->picture(), red);
    }

    // The timer may tick before the box was ever on screen; what it draws is kept.
    void drawingOnABoxNeverShown()
    {
        const QSize contents(400, 240);
        const auto box = makeBox(contents, false);
        QVERIFY(!box->isVisible());
        box->drawCircle(500, 500, 250);
        QVERIFY(inkNear(box->drawingLayer(), QPoint(300, 120), ink(*box)));

        PictureBox empty;
        empty.resize(0, 0);
        empty.drawCircle(500, 500, 250);
        QVERIFY(empty.picture().isNull());
    }
};

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
