// Draws the program's icons (tool buttons, player buttons, category icons,
// collapse glyphs, the application icon) as PNG files at twice their shown
// size, so that they stay sharp on high-density screens.
//
//   g++ -std=c++20 -fPIC make_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_icons
//   QT_QPA_PLATFORM=offscreen /tmp/make_icons data/icons
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace {

QString g_dir;

void Save(const char* name, int size, const std::function<void(QPainter&, double)>& draw) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 48.0;  // drawings use a 48-unit square
    p.scale(s, s);
    draw(p, s);
    p.end();
    img.save(g_dir + "/" + name + ".png");
}

QLinearGradient Vertical(QColor top, QColor bottom, double y0 = 0, double y1 = 48) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

void Document(QPainter& p) {
    QPainterPath doc;
    doc.moveTo(8, 4);
    doc.lineTo(28, 4);
    doc.lineTo(38, 14);
    doc.lineTo(38, 44);
    doc.lineTo(8, 44);
    doc.closeSubpath();
    p.setPen(QPen(QColor(96, 112, 140), 2));
    p.setBrush(Vertical(QColor(255, 255, 255), QColor(226, 233, 245)));
    p.drawPath(doc);
    p.setBrush(QColor(200, 212, 232));
    QPainterPath fold;
    fold.moveTo(28, 4);
    fold.lineTo(28, 14);
    fold.lineTo(38, 14);
    fold.closeSubpath();
    p.drawPath(fold);
    // film frames on the page
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 146, 190));
    p.drawRoundedRect(QRectF(13, 20, 16, 11), 2, 2);
}

void Badge(QPainter& p, QColor colour, bool plus) {
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Vertical(colour.lighter(125), colour, 24, 46));
    p.drawEllipse(QRectF(24, 24, 22, 22));
    p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(29.5, 35), QPointF(40.5, 35));
    if (plus) p.drawLine(QPointF(35, 29.5), QPointF(35, 40.5));
}

void PlayMark(QPainter& p, QRectF r, QColor colour) {
    QPainterPath t;
    t.moveTo(r.left(), r.top());
    t.lineTo(r.right(), r.center().y());
    t.lineTo(r.left(), r.bottom());
    t.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(t);
}

void Gear(QPainter& p, QPointF c, double outer, double inner, QColor colour) {
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth;
        const double a1 = (i + 0.5) * M_PI / teeth;
        const double r = (i % 2 == 0) ? outer : inner;
        const QPointF p0(c.x() + r * std::cos(a0), c.y() + r * std::sin(a0));
        const QPointF p1(c.x() + r * std::cos(a1), c.y() + r * std::sin(a1));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, inner * 0.45, inner * 0.45);
    p.setPen(QPen(colour.darker(140), 1.5));
    p.setBrush(Vertical(colour.lighter(130), colour));
    p.drawPath(gear.subtracted(hole));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");

    Save("add", 48, [](QPainter& p, double) {
        Document(p);
        Badge(p, QColor(46, 160, 67), true);
    });
    Save("remove", 48, [](QPainter& p, double) {
        Document(p);
        Badge(p, QColor(210, 60, 50), false);
    });
    Save("clear", 48, [](QPainter& p, double) {
        // a waste bin
        p.setPen(QPen(QColor(80, 92, 110), 2));
        p.setBrush(Vertical(QColor(222, 228, 238), QColor(170, 182, 200)));
        QPainterPath bin;
        bin.moveTo(11, 14);
        bin.lineTo(37, 14);
        bin.lineTo(34, 44);
        bin.lineTo(14, 44);
        bin.closeSubpath();
        p.drawPath(bin);
        p.drawRoundedRect(QRectF(8, 9, 32, 6), 2, 2);
        p.drawRoundedRect(QRectF(19, 4, 10, 5), 2, 2);
        p.setPen(QPen(QColor(110, 122, 140), 2, Qt::SolidLine, Qt::RoundCap));
        for (double x : {18.0, 24.0, 30.0})
            p.drawLine(QPointF(x, 20), QPointF(x + (24 - x) * 0.1, 39));
    });
    Save("edit", 48, [](QPainter& p, double) {
        Document(p);
        p.save();
        p.translate(34, 26);
        p.rotate(45);
        p.setPen(QPen(QColor(120, 80, 20), 1.5));
        p.setBrush(Vertical(QColor(255, 214, 90), QColor(236, 160, 30), -4, 4));
        p.drawRect(QRectF(-16, -4, 24, 8));
        p.setBrush(QColor(240, 150, 150));
        p.drawRect(QRectF(8, -4, 5, 8));
        QPainterPath tip;
        tip.moveTo(-16, -4);
        tip.lineTo(-23, 0);
        tip.lineTo(-16, 4);
        tip.closeSubpath();
        p.setBrush(QColor(250, 228, 190));
        p.drawPath(tip);
        p.restore();
    });
    Save("settings", 48,
         [](QPainter& p, double) { Gear(p, QPointF(24, 24), 20, 15, QColor(98, 120, 160)); });
    Save("start", 48, [](QPainter& p, double) {
        p.setPen(QPen(QColor(30, 120, 45), 2));
        p.setBrush(Vertical(QColor(110, 205, 110), QColor(36, 150, 56)));
        p.drawEllipse(QRectF(3, 3, 42, 42));
        PlayMark(p, QRectF(18, 13, 18, 22), Qt::white);
    });
    Save("exit", 48, [](QPainter& p, double) {
        p.setPen(QPen(QColor(170, 40, 40), 2));
        p.setBrush(Vertical(QColor(240, 110, 100), QColor(196, 44, 40)));
        p.drawEllipse(QRectF(3, 3, 42, 42));
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(13, 14, 22, 22), 120 * 16, 300 * 16);
        p.drawLine(QPointF(24, 10), QPointF(24, 24));
    });
    Save("play", 32,
         [](QPainter& p, double) { PlayMark(p, QRectF(12, 8, 28, 32), QColor(40, 140, 60)); });
    Save("pause", 32, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 90, 150));
        p.drawRoundedRect(QRectF(11, 8, 10, 32), 2, 2);
        p.drawRoundedRect(QRectF(27, 8, 10, 32), 2, 2);
    });
    Save("stop", 32, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(190, 50, 45));
        p.drawRoundedRect(QRectF(10, 10, 28, 28), 3, 3);
    });
    Save("snapshot", 48, [](QPainter& p, double) {
        p.setPen(QPen(QColor(60, 70, 90), 2));
        p.setBrush(Vertical(QColor(120, 134, 160), QColor(70, 82, 108)));
        p.drawRoundedRect(QRectF(4, 13, 40, 28), 5, 5);
        p.drawRoundedRect(QRectF(15, 7, 16, 8), 2, 2);
        p.setBrush(QColor(210, 228, 250));
        p.drawEllipse(QPointF(24, 27), 9, 9);
        p.setBrush(QColor(60, 90, 150));
        p.drawEllipse(QPointF(24, 27), 4.5, 4.5);
    });
    Save("film", 96, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 70, 70, 200));
        p.drawRoundedRect(QRectF(4, 8, 40, 32), 4, 4);
        p.setBrush(QColor(200, 200, 200, 220));
        for (int i = 0; i < 5; ++i) {
            p.drawRect(QRectF(7 + i * 8, 10, 4, 4));
            p.drawRect(QRectF(7 + i * 8, 34, 4, 4));
        }
        PlayMark(p, QRectF(19, 17, 12, 14), QColor(230, 230, 230));
    });
    Save("dropdown", 32, [](QPainter& p, double) {
        QPainterPath t;
        t.moveTo(12, 18);
        t.lineTo(36, 18);
        t.lineTo(24, 32);
        t.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 70, 90));
        p.drawPath(t);
    });
    // Category icons: Flash, video, audio.
    Save("category0", 40, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(Vertical(QColor(236, 80, 60), QColor(180, 30, 30)));
        p.drawRoundedRect(QRectF(3, 3, 42, 42), 9, 9);
        QPainterPath bolt;
        bolt.moveTo(28, 7);
        bolt.lineTo(13, 27);
        bolt.lineTo(23, 27);
        bolt.lineTo(19, 41);
        bolt.lineTo(35, 20);
        bolt.lineTo(25, 20);
        bolt.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(bolt);
    });
    Save("category1", 40, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(Vertical(QColor(80, 140, 230), QColor(36, 84, 170)));
        p.drawRoundedRect(QRectF(3, 3, 42, 42), 9, 9);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(9, 15, 22, 18), 3, 3);
        QPainterPath lens;
        lens.moveTo(31, 24);
        lens.lineTo(40, 16);
        lens.lineTo(40, 32);
        lens.closeSubpath();
        p.drawPath(lens);
    });
    Save("category2", 40, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(Vertical(QColor(70, 190, 100), QColor(30, 130, 60)));
        p.drawRoundedRect(QRectF(3, 3, 42, 42), 9, 9);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(10, 29, 11, 9));
        p.drawEllipse(QRectF(25, 25, 11, 9));
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(QPointF(20, 33), QPointF(20, 12));
        p.drawLine(QPointF(35, 29), QPointF(35, 9));
        p.setPen(QPen(Qt::white, 5));
        p.drawLine(QPointF(20, 12), QPointF(35, 9));
    });
    auto glyph = [](bool collapsed) {
        return [collapsed](QPainter& p, double) {
            p.setPen(QPen(QColor(110, 130, 160), 3));
            p.setBrush(Vertical(Qt::white, QColor(220, 228, 240)));
            p.drawRoundedRect(QRectF(6, 6, 36, 36), 5, 5);
            p.setPen(QPen(QColor(40, 60, 100), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(14, 24), QPointF(34, 24));
            if (collapsed) p.drawLine(QPointF(24, 14), QPointF(24, 34));
        };
    };
    Save("collapsed", 32, glyph(true));
    Save("expanded", 32, glyph(false));
    Save("framewright", 128, [](QPainter& p, double) {
        p.setPen(Qt::NoPen);
        p.setBrush(Vertical(QColor(58, 110, 200), QColor(20, 44, 110)));
        p.drawRoundedRect(QRectF(2, 2, 44, 44), 10, 10);
        p.setBrush(QColor(255, 255, 255, 50));
        for (int i = 0; i < 6; ++i) {
            p.drawRoundedRect(QRectF(6 + i * 6.6, 6, 3.6, 3.6), 1, 1);
            p.drawRoundedRect(QRectF(6 + i * 6.6, 38.4, 3.6, 3.6), 1, 1);
        }
        PlayMark(p, QRectF(17, 13, 18, 22), QColor(255, 196, 64));
    });
    return 0;
}
