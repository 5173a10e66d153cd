// SPDX-License-Identifier: MIT
#include "routines/picturebox.h"
#include "session.h"
#include "testwait.h"

#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

using routines::PictureBox;

namespace {

const QStringList startUp = {QStringLiteral("Sam Student"), QString(), QStringLiteral("1")};

// Radii far enough apart that each circle is a separate ring along the centre row.
constexpr int scriptedCircles = 30;
float scriptedDraw(int k)
{
    return 0.05f + 0.03f * float(k);
}

// The middle of the box's drawing area, where 500, 500 falls on a 1000 by 1000 scale.
QPointF centreOf(const PictureBox *box)
{
    const QSize area = box->contentsRect().size();
    return {area.width() * 500.0 / 1000.0, area.height() * 500.0 / 1000.0};
}

// A radius of r * 500 horizontal units, in pixels.
double pixelRadius(const PictureBox *box, float r)
{
    return r * 500.0f * box->contentsRect().width() / 1000.0;
}

bool inkNear(const QImage &layer, QPointF at)
{
    const QPoint p = at.toPoint();
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (layer.valid(q) && layer.pixelColor(q).alpha() > 0)
                return true;
        }
    }
    return false;
}

int inkedPixels(const QImage &layer)
{
    int inked = 0;
    for (int y = 0; y < layer.height(); ++y) {
        for (int x = 0; x < layer.width(); ++x)
            inked += layer.pixelColor(x, y).alpha() > 0;
    }
    return inked;
}

// Rings crossed on the way from the centre to the right edge of the drawing area.
int ringsRightOfCentre(const QImage &layer, QPointF centre)
{
    const int y = int(centre.y());
    int rings = 0;
    bool inked = false;
    for (int x = int(centre.x()) + 1; x < layer.width(); ++x) {
        const bool now = layer.pixelColor(x, y).alpha() > 0;
        rings += now && !inked;
        inked = now;
    }
    return rings;
}

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// What a box with nothing drawn on it shows: white, with its stored picture at the top left.
QImage expectedContents(const PictureBox *box, const QImage &picture)
{
    QImage expected = solid(box->contentsRect().size(), Qt::white);
    if (!picture.isNull())
        QPainter(&expected).drawImage(0, 0, picture);
    return expected;
}

QImage shownContents(PictureBox *box)
{
    return box->grab(box->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

bool showWindow(Session &run)
{
    run.window->show();
    return QTest::qWaitForWindowExposed(run.window.get(), testwait::hangMs());
}

} // namespace

class TestPictureCommands : public QObject
{
    Q_OBJECT

private slots:
    void timerWaitsForPendExp_data()
    {
        QTest::addColumn<bool>("triggerClicked");
        QTest::newRow("untouched") << false;
        QTest::newRow("Trigger Timer clicked") << true;
    }
    void timerWaitsForPendExp()
    {
        QFETCH(bool, triggerClicked);
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        QVERIFY(showWindow(run));
        const int drawsAtStart = run.platform.drawsTaken;
        if (triggerClicked)
            run.window->cmd_timerTrigger->click();
        QTest::qWait(60);

        QVERIFY(!run.window->tmr_pend_exp->isActive());
        QCOMPARE(run.platform.beeps, 0);
        QCOMPARE(run.platform.drawsTaken, drawsAtStart);
        QCOMPARE(inkedPixels(run.window->Picture1->drawingLayer()), 0);
        // And on the screen the drawing area is plain white.
        const QImage shown = run.window->Picture1->grab(run.window->Picture1->contentsRect())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(shown.width() / 4, shown.height() / 3), QColor(Qt::white));
    }

    void ticksDrawOneCircleEach_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::newRow("one click") << 1;
        QTest::newRow("second click while running") << 2;
    }
    void ticksDrawOneCircleEach()
    {
        QFETCH(int, clicks);
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        QVERIFY(showWindow(run));
        for (int k = 0; k < scriptedCircles; ++k)
            run.platform.draws.enqueue(scriptedDraw(k));
        const int drawsAtStart = run.platform.drawsTaken;
        QTimer *timer = run.window->tmr_pend_exp;
        PictureBox *picture = run.window->Picture1;

        for (int i = 0; i < clicks; ++i)
            run.window->cmd_pend_exp->click();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 15);
        QTRY_VERIFY_WITH_TIMEOUT(run.platform.beeps >= 3, testwait::hangMs());

        const int beeps = run.platform.beeps;
        QVERIFY2(beeps < scriptedCircles, "more ticks than scripted draws");
        QCOMPARE(run.platform.drawsTaken - drawsAtStart, beeps);
        const QImage layer = picture->drawingLayer();
        const QPointF centre = centreOf(picture);
        QCOMPARE(ringsRightOfCentre(layer, centre), beeps);
        for (int k = 0; k < beeps; ++k) {
            const double r = pixelRadius(picture, scriptedDraw(k));
            QVERIFY2(inkNear(layer, centre + QPointF(r, 0)), qPrintable(QString::number(k)));
            QVERIFY2(inkNear(layer, centre - QPointF(r, 0)), qPrintable(QString::number(k)));
        }
        // Round on the screen: the smallest ring reaches as far up as it reaches sideways.
        QVERIFY(inkNear(layer, centre - QPointF(0, pixelRadius(picture, scriptedDraw(0)))));
        QCOMPARE(layer.pixelColor(centre.toPoint()).alpha(), 0);
        QVERIFY(picture->picture().isNull());

        // A single tick, delivered by hand: one beep and one draw, so only one stream runs.
        QTimerEvent tick(timer->timerId());
        QCoreApplication::sendEvent(timer, &tick);
        QCOMPARE(run.platform.beeps, beeps + 1);
        QCOMPARE(run.platform.drawsTaken - drawsAtStart, beeps + 1);
        QVERIFY(inkNear(picture->drawingLayer(),
                        centre + QPointF(pixelRadius(picture, scriptedDraw(beeps)), 0)));

        run.window->cmd_timerTrigger->click();
        QVERIFY(timer->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(run.platform.beeps > beeps + 1, testwait::hangMs());
    }

    void copyPicture_data()
    {
        QTest::addColumn<QImage>("stored");
        QTest::addColumn<QImage>("picture2Before");
        QTest::addColumn<bool>("clipboardRefuses");
        QTest::addColumn<QImage>("clipboardBefore");
        QTest::addColumn<QImage>("picture2After");

        const QImage red = solid({8, 6}, Qt::red);
        const QImage blue = solid({5, 9}, Qt::blue);
        const QImage green = solid({4, 4}, Qt::green);
        const QImage none;
        QTest::newRow("nothing stored") << none << none << false << none << none;
        QTest::newRow("nothing stored empties Picture2") << none << blue << false << green << none;
        QTest::newRow("stored picture") << red << none << false << none << red;
        QTest::newRow("stored picture replaces Picture2's") << red << blue << false << green << red;
        QTest::newRow("clipboard refuses, empty") << red << blue << true << none << blue;
        // A refused copy must not bring in what some earlier copy left on the clipboard.
        QTest::newRow("clipboard refuses, holding an earlier picture")
            << red << blue << true << green << blue;
    }
    void copyPicture()
    {
        QFETCH(QImage, stored);
        QFETCH(QImage, picture2Before);
        QFETCH(bool, clipboardRefuses);
        QFETCH(QImage, clipboardBefore);
        QFETCH(QImage, picture2After);
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        QVERIFY(showWindow(run));
        PictureBox *picture1 = run.window->Picture1;
        PictureBox *picture2 = run.window->Picture2;
        // Circles on Picture1 first: they are drawing, not picture, and must not travel.
        run.window->cmd_pend_exp->click();
        QTRY_VERIFY_WITH_TIMEOUT(run.platform.beeps >= 2, testwait::hangMs());
        if (!stored.isNull())
            picture1->setPicture(stored);
        if (!picture2Before.isNull())
            picture2->setPicture(picture2Before);
        run.platform.clipboard = clipboardBefore;
        run.platform.clipboardRefuses = clipboardRefuses;
        const int inkOnPicture1 = inkedPixels(picture1->drawingLayer());
        QVERIFY(inkOnPicture1 > 0);

        run.window->cmd_copy_picture->click();

        QCOMPARE(picture2->picture(), picture2After);
        QCOMPARE(picture2->picture().isNull(), picture2After.isNull());
        QCOMPARE(inkedPixels(picture2->drawingLayer()), 0);
        QCOMPARE(shownContents(picture2), expectedContents(picture2, picture2After));
        QCOMPARE(picture1->picture(), stored);
        QCOMPARE(inkedPixels(picture1->drawingLayer()), inkOnPicture1);
    }

    void circlesSurviveRepaint()
    {
        QTemporaryDir dir;
        Session run(dir.path(), startUp);
        QVERIFY(showWindow(run));
        // Every tick draws the same ring, so the picture is the same whatever the tick count.
        for (int k = 0; k < 1000; ++k)
            run.platform.draws.enqueue(0.3f);
        PictureBox *picture = run.window->Picture1;
        run.window->cmd_pend_exp->click();
        QTRY_VERIFY_WITH_TIMEOUT(run.platform.beeps >= 1, testwait::hangMs());

        const QPointF onRing = centreOf(picture) + QPointF(pixelRadius(picture, 0.3f), 0);
        const auto darkNearRing = [&] {
            const QImage shown = shownContents(picture);
            const QPoint p = onRing.toPoint();
            for (int dx = -1; dx <= 1; ++dx) {
                if (qGray(shown.pixel(p + QPoint(dx, 0))) < 100)
                    return true;
            }
            return false;
        };
        QVERIFY(darkNearRing());
        picture->repaint();
        QVERIFY(darkNearRing());
        QCOMPARE(qGray(shownContents(picture).pixel(centreOf(picture).toPoint())), 255);
    }
};

QTEST_MAIN(TestPictureCommands)
#include "tst_picturecommands.moc"
