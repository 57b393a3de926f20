// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the pictures of the resource collection: the window background, the logo and the six
// faces of the image switch; on request also the application icon in the menu's sizes. The output
// is committed under res/pic/ and res/icons/, so a build never runs this; see tools/README.md for
// how to regenerate.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextStream>
#include <QtMath>

namespace
{

const QColor accent(0x1A, 0xBC, 0x9C);
const QColor blue(0x34, 0x98, 0xDB);

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

QImage transparentImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QFont captionFont(int pixelSize, QFont::Weight weight)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// --- background ------------------------------------------------------------------------------

// One circuit trace: straight runs on the grid with 45-degree bends, a pad at each end.
void drawTrace(QPainter &p, QRandomGenerator &rng, int cell, const QSize &size, const QColor &colour)
{
    static const QPoint directions[] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    QPoint node(rng.bounded(size.width() / cell + 1), rng.bounded(size.height() / cell + 1));
    int dir = 2 * rng.bounded(4); // start along an axis
    QPainterPath path(QPointF(node * cell));
    const int runs = 2 + rng.bounded(4);
    for (int r = 0; r < runs; ++r) {
        const bool axis = dir % 2 == 0;
        const int steps = axis ? 2 + rng.bounded(6) : 1 + rng.bounded(2);
        node += directions[dir] * steps;
        path.lineTo(QPointF(node * cell));
        dir = (dir + (rng.bounded(2) ? 1 : 7)) % 8;
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);

    const QPointF ends[] = {path.elementAt(0), path.currentPosition()};
    for (const QPointF &end : ends) {
        p.setPen(QPen(colour, 1.6));
        p.setBrush(QColor(0x0B, 0x1D, 0x33));
        p.drawEllipse(end, 4.0, 4.0);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(end, 1.6, 1.6);
    }
}

QImage background()
{
    const QSize size(1280, 720);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient base(0, 0, size.width(), size.height());
    base.setColorAt(0.0, QColor(0x0A, 0x1A, 0x30));
    base.setColorAt(0.55, QColor(0x0E, 0x33, 0x52));
    base.setColorAt(1.0, QColor(0x0C, 0x58, 0x5E));
    p.fillRect(img.rect(), base);

    // Two soft lights: teal upper right, blue lower left.
    QRadialGradient teal(QPointF(980, 120), 720);
    teal.setColorAt(0.0, withAlpha(accent, 70));
    teal.setColorAt(1.0, withAlpha(accent, 0));
    p.fillRect(img.rect(), teal);
    QRadialGradient glow(QPointF(180, 700), 620);
    glow.setColorAt(0.0, withAlpha(blue, 55));
    glow.setColorAt(1.0, withAlpha(blue, 0));
    p.fillRect(img.rect(), glow);

    // Fine grid with brighter dots where every fourth line crosses.
    const int cell = 32;
    p.setPen(QPen(QColor(255, 255, 255, 9), 1));
    for (int x = 0; x <= size.width(); x += cell)
        p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, size.height()));
    for (int y = 0; y <= size.height(); y += cell)
        p.drawLine(QPointF(0, y + 0.5), QPointF(size.width(), y + 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    for (int x = 0; x <= size.width(); x += 4 * cell)
        for (int y = 0; y <= size.height(); y += 4 * cell)
            p.drawEllipse(QPointF(x + 0.5, y + 0.5), 1.5, 1.5);

    // Fixed seed: regenerating gives the same picture.
    QRandomGenerator rng(0x5eed);
    for (int i = 0; i < 56; ++i) {
        const bool tealTrace = rng.bounded(3) != 0;
        const QColor colour = withAlpha(tealTrace ? accent : blue, 40 + rng.bounded(50));
        drawTrace(p, rng, cell, size, colour);
    }

    // A frequency sweep across the lower part, slow on the left and fast on the right.
    QPainterPath wave;
    for (int x = -10; x <= size.width() + 10; x += 2) {
        const double t = double(x) / size.width();
        const double phase = 2 * M_PI * (1.5 * t + 5.0 * t * t);
        const double y = 560 + 46 * std::sin(phase) * (0.6 + 0.4 * t);
        if (x == -10)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(accent, 28), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.setPen(QPen(withAlpha(accent, 110), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);

    // Darker edges keep the eye in the middle.
    QRadialGradient vignette(QPointF(size.width() / 2.0, size.height() / 2.0), 820);
    vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 110));
    p.fillRect(img.rect(), vignette);
    return img;
}

// --- logo ------------------------------------------------------------------------------------

// What changes between the logo and its smaller renderings as an icon.
struct LogoDetail {
    int pins = 7; // a side
    double pinWidth = 30, pitch = 60;
    double wave = 14, waveGlow = 30;
    double chirp = 1.6; // how much the wave speeds up towards the right
    bool dieGrid = true;
};

// Paints the logo in its own 800 x 800 units.
void drawLogo(QPainter &p, const LogoDetail &detail = LogoDetail())
{
    const QRectF body(150, 150, 500, 500);

    // Soft shadow under the chip.
    for (int i = 12; i > 0; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 5));
        p.drawRoundedRect(body.adjusted(-i, -i + 14, i, i + 14), 60 + i, 60 + i);
    }

    // Pins, seven a side.
    const int pins = detail.pins;
    const double pinWidth = detail.pinWidth, pinLength = 96, pitch = detail.pitch;
    const double first = 400 - pitch * (pins - 1) / 2.0 - pinWidth / 2;
    for (int side = 0; side < 4; ++side) {
        p.save();
        p.translate(400, 400);
        p.rotate(90 * side);
        p.translate(-400, -400);
        for (int i = 0; i < pins; ++i) {
            const QRectF pin(first + i * pitch, body.top() - pinLength + 20, pinWidth, pinLength);
            QLinearGradient metal(pin.topLeft(), pin.topRight());
            metal.setColorAt(0.0, QColor(0xA9, 0xB7, 0xC2));
            metal.setColorAt(0.45, QColor(0xEE, 0xF3, 0xF6));
            metal.setColorAt(1.0, QColor(0x8E, 0x9E, 0xAB));
            p.setPen(QPen(QColor(0x5D, 0x6D, 0x7E), 2));
            p.setBrush(metal);
            p.drawRoundedRect(pin, 9, 9);
        }
        p.restore();
    }

    // Package.
    QLinearGradient package(body.topLeft(), body.bottomRight());
    package.setColorAt(0.0, QColor(0x22, 0x4A, 0x6E));
    package.setColorAt(1.0, QColor(0x0D, 0x20, 0x35));
    p.setPen(QPen(QColor(0x0A, 0x18, 0x28), 4));
    p.setBrush(package);
    p.drawRoundedRect(body, 60, 60);
    // A light rim along the top edge.
    p.setPen(QPen(QColor(255, 255, 255, 40), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(8, 8, -8, -8), 52, 52);

    // Pin-one mark.
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(accent, 200));
    p.drawEllipse(QPointF(body.left() + 58, body.top() + 58), 14, 14);

    // Die with a glowing teal edge.
    const QRectF die(250, 250, 300, 300);
    for (int i = 10; i > 0; i -= 2) {
        p.setPen(QPen(withAlpha(accent, 14), i * 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(die, 30, 30);
    }
    QLinearGradient dieFill(die.topLeft(), die.bottomLeft());
    dieFill.setColorAt(0.0, QColor(0x0F, 0x2C, 0x44));
    dieFill.setColorAt(1.0, QColor(0x08, 0x17, 0x26));
    p.setPen(QPen(accent, 6));
    p.setBrush(dieFill);
    p.drawRoundedRect(die, 30, 30);

    // Faint grid on the die.
    p.save();
    QPainterPath dieClip;
    dieClip.addRoundedRect(die.adjusted(3, 3, -3, -3), 27, 27);
    p.setClipPath(dieClip);
    p.setPen(QPen(withAlpha(accent, 30), 2));
    for (int k = 1; k < 6 && detail.dieGrid; ++k) {
        const double at = die.left() + k * die.width() / 6;
        p.drawLine(QPointF(at, die.top()), QPointF(at, die.bottom()));
        const double yat = die.top() + k * die.height() / 6;
        p.drawLine(QPointF(die.left(), yat), QPointF(die.right(), yat));
    }

    // The frequency wave: a sweep that speeds up from left to right.
    QPainterPath wave;
    const double left = die.left() + 30, right = die.right() - 30, mid = die.center().y();
    for (int s = 0; s <= 400; ++s) {
        const double t = s / 400.0;
        const double phase = 2 * M_PI * (1.0 * t + detail.chirp * t * t);
        const double y = mid - 78 * std::sin(phase);
        const QPointF pt(left + t * (right - left), y);
        if (s == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(accent, 60), detail.waveGlow, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    QLinearGradient waveFill(left, 0, right, 0);
    waveFill.setColorAt(0.0, accent);
    waveFill.setColorAt(1.0, QColor(0xA8, 0xF0, 0xE0));
    p.setPen(QPen(QBrush(waveFill), detail.wave, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.restore();
}

QImage logo()
{
    QImage img = transparentImage(800, 800);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawLogo(p);
    return img;
}

// --- application icon ------------------------------------------------------------------------

// From 48 pixels up the logo itself, cropped to the chip and its pins; below 128 pixels with
// fewer, wider pins, no grid and a bolder, slower wave, which would otherwise be a pixel thin.
QImage largeIcon(int size)
{
    LogoDetail detail;
    if (size < 128) {
        detail.pins = 5;
        detail.pinWidth = 40;
        detail.pitch = 80;
        detail.wave = 30;
        detail.waveGlow = 54;
        detail.chirp = 0.7;
        detail.dieGrid = false;
    }
    QImage img = transparentImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double from = 64, span = 800 - 2 * from;
    p.scale(size / span, size / span);
    p.translate(-from, -from);
    drawLogo(p, detail);
    return img;
}

// Below 48 pixels the logo's pins, rim, grid and chirp turn to mush. This redraws the chip on the
// pixel grid: fewer and wider pins, a plain package, and one bold wave; the die's teal edge only
// where there is room for it.
QImage smallIcon(int size)
{
    struct Layout {
        int pinLength, pins, pinWidth, pitch;
        bool die;
    };
    const Layout l = size <= 16   ? Layout{2, 3, 2, 4, false}
                     : size <= 24 ? Layout{3, 4, 2, 4, true}
                                  : Layout{4, 5, 2, 4, true};
    QImage img = transparentImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    const int first = (size - ((l.pins - 1) * l.pitch + l.pinWidth)) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC9, 0xD3, 0xDA));
    for (int i = 0; i < l.pins; ++i) {
        const int at = first + i * l.pitch;
        p.drawRect(at, 0, l.pinWidth, size); // top and bottom pins in one go;
        p.drawRect(0, at, size, l.pinWidth); // the package covers their middle
    }

    const QRectF body(l.pinLength + 0.5, l.pinLength + 0.5, size - 2 * l.pinLength - 1, size - 2 * l.pinLength - 1);
    QLinearGradient package(body.topLeft(), body.bottomRight());
    package.setColorAt(0.0, QColor(0x22, 0x4A, 0x6E));
    package.setColorAt(1.0, QColor(0x0D, 0x20, 0x35));
    p.setPen(QPen(QColor(0x0A, 0x18, 0x28), 1));
    p.setBrush(package);
    const double radius = size / 8.0;
    p.drawRoundedRect(body, radius, radius);

    QRectF waveArea = body.adjusted(2, 2, -2, -2);
    if (l.die) {
        const double inset = size / 8.0;
        const QRectF die = body.adjusted(inset, inset, -inset, -inset);
        p.setPen(QPen(accent, size / 24.0 + 0.5));
        p.setBrush(QColor(0x0A, 0x1C, 0x2E));
        p.drawRoundedRect(die, radius / 2, radius / 2);
        waveArea = die.adjusted(1.5, 1.5, -1.5, -1.5);
    }

    // One and a quarter periods: enough to read as a wave, few enough to stay apart.
    QPainterPath wave;
    const double amplitude = waveArea.height() * 0.3;
    for (int s = 0; s <= 100; ++s) {
        const double t = s / 100.0;
        const QPointF pt(waveArea.left() + t * waveArea.width(),
                         waveArea.center().y() - amplitude * std::sin(2 * M_PI * 1.25 * t));
        if (s == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x5C, 0xF0, 0xD2), size / 10.0 + 0.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    return img;
}

QImage icon(int size)
{
    return size < 48 ? smallIcon(size) : largeIcon(size);
}

// --- image switch faces ----------------------------------------------------------------------

struct PillLook {
    QColor onTop, onBottom;   // track when checked
    QColor offTop, offBottom; // track when unchecked
    QColor offCaption;
    QString onText, offText;
    QFont::Weight weight;
    double knobInset; // gap between knob and track edge
};

QImage pill(const PillLook &look, bool on)
{
    const int w = 87, h = 28;
    QImage img = transparentImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF track(0.5, 0.5, w - 1, h - 1);
    const double radius = track.height() / 2;
    QLinearGradient fill(track.topLeft(), track.bottomLeft());
    fill.setColorAt(0.0, on ? look.onTop : look.offTop);
    fill.setColorAt(1.0, on ? look.onBottom : look.offBottom);
    p.setPen(QPen(QColor(0, 0, 0, 40), 1));
    p.setBrush(fill);
    p.drawRoundedRect(track, radius, radius);
    // A shade inside the top edge makes the track look sunk in.
    QPainterPath inside;
    inside.addRoundedRect(track.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    QLinearGradient shade(0, 1, 0, 7);
    shade.setColorAt(0.0, QColor(0, 0, 0, 38));
    shade.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillPath(inside, shade);

    const double knobRadius = radius - look.knobInset;
    const QPointF knob(on ? w - radius : radius, h / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(knob + QPointF(0, 1.2), knobRadius + 0.6, knobRadius + 0.6);
    QLinearGradient knobFill(knob.x(), knob.y() - knobRadius, knob.x(), knob.y() + knobRadius);
    knobFill.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF));
    knobFill.setColorAt(1.0, QColor(0xE6, 0xEA, 0xED));
    p.setBrush(knobFill);
    p.drawEllipse(knob, knobRadius, knobRadius);

    // The caption fills the part of the track beside the knob.
    const double knobSpan = 2 * radius;
    const QRectF captionArea = on ? QRectF(4, 0, w - knobSpan - 4, h) : QRectF(knobSpan, 0, w - knobSpan - 4, h);
    p.setFont(captionFont(12, look.weight));
    p.setPen(on ? QColor(Qt::white) : look.offCaption);
    p.drawText(captionArea, Qt::AlignCenter, on ? look.onText : look.offText);
    return img;
}

QImage box(bool on)
{
    const int w = 96, h = 38;
    QImage img = transparentImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF frame(0.5, 0.5, w - 1, h - 1);
    p.setPen(QPen(QColor(0xAE, 0xB8, 0xC1), 1));
    p.setBrush(QColor(0xFA, 0xFB, 0xFC));
    p.drawRoundedRect(frame, 6, 6);

    const QRectF offCell(3, 3, w / 2.0 - 3.5, h - 6);
    const QRectF onCell(w / 2.0 + 0.5, 3, w / 2.0 - 3.5, h - 6);
    const QRectF lit = on ? onCell : offCell;
    QLinearGradient fill(lit.topLeft(), lit.bottomLeft());
    fill.setColorAt(0.0, on ? QColor(0x2E, 0xCC, 0x71) : QColor(0xA3, 0xAF, 0xB5));
    fill.setColorAt(1.0, on ? QColor(0x22, 0xA8, 0x5C) : QColor(0x86, 0x94, 0x9B));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(lit, 4, 4);

    p.setFont(captionFont(13, QFont::Bold));
    p.setPen(on ? QColor(0xC3, 0xCB, 0xD1) : QColor(Qt::white));
    p.drawText(offCell, Qt::AlignCenter, QStringLiteral("OFF"));
    p.setPen(on ? QColor(Qt::white) : QColor(0xC3, 0xCB, 0xD1));
    p.drawText(onCell, Qt::AlignCenter, QStringLiteral("ON"));
    return img;
}

bool save(const QImage &img, const QDir &dir, const QString &name, const char *format, int quality = -1)
{
    const QString path = dir.filePath(name);
    const bool ok = img.save(path, format, quality);
    QTextStream(ok ? stdout : stderr) << (ok ? "wrote " : "could not write ") << path << '\n';
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 3) {
        QTextStream(stderr) << "usage: " << args.value(0) << " OUTPUT_DIRECTORY [ICON_DIRECTORY]\n";
        return 2;
    }
    const QDir out(args.at(1));

    // Style 1: flat bright green, bold capitals. Style 2: the teal accent, light captions.
    const PillLook style1{QColor(0x3D, 0xD6, 0x7E),
                          QColor(0x27, 0xAE, 0x60),
                          QColor(0xD5, 0xDB, 0xDF),
                          QColor(0xB8, 0xC1, 0xC7),
                          QColor(0x56, 0x65, 0x73),
                          QStringLiteral("ON"),
                          QStringLiteral("OFF"),
                          QFont::Bold,
                          2.5};
    const PillLook style2{QColor(0x1F, 0xCF, 0xAC),
                          QColor(0x16, 0xA0, 0x85),
                          QColor(0x9A, 0xA6, 0xAC),
                          QColor(0x7F, 0x8C, 0x8D),
                          QColor(0xF4, 0xF6, 0xF7),
                          QStringLiteral("On"),
                          QStringLiteral("Off"),
                          QFont::Medium,
                          3.5};

    bool ok = true;
    ok &= save(background(), out, QStringLiteral("cpu_blue.jpg"), "JPG", 92);
    ok &= save(logo(), out, QStringLiteral("cpulogo.png"), "PNG");
    ok &= save(pill(style1, true), out, QStringLiteral("btncheckon1.png"), "PNG");
    ok &= save(pill(style1, false), out, QStringLiteral("btncheckoff1.png"), "PNG");
    ok &= save(pill(style2, true), out, QStringLiteral("btncheckon2.png"), "PNG");
    ok &= save(pill(style2, false), out, QStringLiteral("btncheckoff2.png"), "PNG");
    ok &= save(box(true), out, QStringLiteral("btncheckon3.png"), "PNG");
    ok &= save(box(false), out, QStringLiteral("btncheckoff3.png"), "PNG");

    // The application icon, one file per size of the hicolor theme.
    if (args.size() == 3) {
        const QDir icons(args.at(2));
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            ok &= save(icon(size), icons, QStringLiteral("freqdeck-%1.png").arg(size), "PNG");
    }
    return ok ? 0 : 1;
}
