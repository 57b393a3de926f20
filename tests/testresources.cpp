// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

// The compiled-in resource collection: the pictures and the application style sheet.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void picture_data();
    void picture();
    void logoIsTransparentAroundTheChip();
    void toggleFace_data();
    void toggleFace();
    void styleSheetSelectorsInOrder();
    void styleSheetApplies();
};

namespace
{

const QString styleSheetPath = QStringLiteral(":/res/src/ui.qss");

QString readStyleSheet()
{
    QFile file(styleSheetPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Mean colour of the pixels at least half opaque.
QColor meanOpaqueColour(const QImage &img)
{
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) < 128)
                continue;
            r += qRed(p);
            g += qGreen(p);
            b += qBlue(p);
            ++n;
        }
    }
    return n ? QColor(int(r / n), int(g / n), int(b / n)) : QColor();
}

bool isNearWhite(QRgb p)
{
    return qAlpha(p) == 255 && qRed(p) > 220 && qGreen(p) > 220 && qBlue(p) > 220;
}

// Collects warnings while alive, so that a style sheet Qt cannot parse is noticed.
class WarningCatcher
{
public:
    WarningCatcher() { previous = qInstallMessageHandler(&WarningCatcher::handle); }
    ~WarningCatcher() { qInstallMessageHandler(previous); }
    static QStringList warnings;

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            warnings << message;
    }
    QtMessageHandler previous;
};
QStringList WarningCatcher::warnings;

} // namespace

void TestResources::picture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");

    QTest::newRow("background") << ":/res/pic/cpu_blue.jpg" << QByteArray("jpeg") << QSize(1280, 720) << false;
    QTest::newRow("logo") << ":/res/pic/cpulogo.png" << QByteArray("png") << QSize(800, 800) << true;
    for (int style = 1; style <= 3; ++style) {
        const QSize size = style == 3 ? QSize(96, 38) : QSize(87, 28);
        for (const char *state : {"on", "off"}) {
            const QString path = QString(":/res/pic/btncheck%1%2.png").arg(state).arg(style);
            QTest::newRow(qPrintable(path)) << path << QByteArray("png") << size << true;
        }
    }
}

void TestResources::picture()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);

    QVERIFY2(QFile::exists(path), qPrintable(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), size);
    const QImage img = reader.read();
    QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(img.size(), size);
    QCOMPARE(img.hasAlphaChannel(), alpha);
}

void TestResources::logoIsTransparentAroundTheChip()
{
    const QImage logo(":/res/pic/cpulogo.png");
    QVERIFY(!logo.isNull());
    for (const QPoint &corner : {QPoint(0, 0), QPoint(799, 0), QPoint(0, 799), QPoint(799, 799)})
        QCOMPARE(qAlpha(logo.pixel(corner)), 0);
    QCOMPARE(qAlpha(logo.pixel(400, 400)), 255);
}

void TestResources::toggleFace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("knob");

    for (int style = 1; style <= 3; ++style) {
        for (bool on : {false, true}) {
            const QString path = QString(":/res/pic/btncheck%1%2.png").arg(on ? "on" : "off").arg(style);
            QTest::newRow(qPrintable(path)) << path << on << (style != 3);
        }
    }
}

// Checked faces are green, unchecked ones grey; the pills carry their knob on the left when
// unchecked and on the right when checked. A swapped or misnamed picture fails here.
void TestResources::toggleFace()
{
    QFETCH(QString, path);
    QFETCH(bool, on);
    QFETCH(bool, knob);

    const QImage img = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!img.isNull());
    QCOMPARE(qAlpha(img.pixel(0, 0)), 0); // rounded corners

    const QColor mean = meanOpaqueColour(img);
    if (on) {
        QVERIFY2(mean.green() > mean.red() + 40 && mean.green() > mean.blue() + 10, qPrintable(mean.name()));
    } else {
        QVERIFY2(qAbs(mean.red() - mean.green()) < 25 && qAbs(mean.green() - mean.blue()) < 25,
                 qPrintable(mean.name()));
    }

    if (knob) {
        const int y = img.height() / 2;
        const int leftKnob = img.height() / 2, rightKnob = img.width() - 1 - img.height() / 2;
        QCOMPARE(isNearWhite(img.pixel(on ? rightKnob : leftKnob, y)), true);
        QCOMPARE(isNearWhite(img.pixel(on ? leftKnob : rightKnob, y)), false);
    }
}

void TestResources::styleSheetSelectorsInOrder()
{
    QString sheet = readStyleSheet();
    QVERIFY(!sheet.isEmpty());
    sheet.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));

    QStringList selectors;
    QRegularExpressionMatchIterator rules =
        QRegularExpression(QStringLiteral("([^{}]+)\\{[^{}]*\\}")).globalMatch(sheet);
    while (rules.hasNext())
        selectors << rules.next().captured(1).simplified();

    const QStringList expected = {
        "QPushButton",
        "QPushButton:hover",
        "QPushButton:pressed",
        "QScrollBar:vertical",
        "QScrollBar::handle:vertical",
        "QScrollBar::handle:vertical:hover",
        "QScrollBar::add-line:vertical",
        "QScrollBar::sub-line:vertical",
        "QScrollBar:horizontal",
        "QScrollBar::handle:horizontal",
        "QScrollBar::handle:horizontal:hover",
        "QScrollBar::add-line:horizontal",
        "QScrollBar::sub-line:horizontal",
        "QSlider::horizontal",
        "QSlider::groove:horizontal, QSlider::add-page:horizontal",
        "QSlider::sub-page:horizontal",
        "QSlider::handle:horizontal",
        "QSlider::vertical",
        "QSlider::groove:vertical, QSlider::sub-page:vertical",
        "QSlider::add-page:vertical",
        "QSlider::handle:vertical",
        "QLineEdit",
        "QLineEdit:focus",
        "QComboBox",
        "QComboBox:focus",
        "QComboBox::drop-down",
        "QAbstractItemView::item",
        "QListView",
        "QListView::item",
        "QListView::item:hover, QListView::item:selected",
        ".PolicyDisplayWidget",
        ".PolicyEditorWidget",
        ".MainPage",
        "QWidget#infoList",
        "QLabel#overview",
        ".QScrollArea, DisplayCorePage",
        "QListView::item:disabled",
        "QLabel#policyNote",
    };
    QCOMPARE(selectors, expected);
}

// Qt parses the whole sheet without complaint, and its push-button and line-edit rules show.
void TestResources::styleSheetApplies()
{
    const QString sheet = readStyleSheet();
    QVERIFY(!sheet.isEmpty());
    WarningCatcher catcher;
    WarningCatcher::warnings.clear();

    QPushButton button;
    button.setStyleSheet(sheet);
    button.resize(120, 40);
    const QImage buttonShot = button.grab().toImage();
    QLineEdit edit;
    edit.setStyleSheet(sheet);
    edit.resize(120, 30);
    const QImage editShot = edit.grab().toImage();
    QCOMPARE(WarningCatcher::warnings, QStringList());

    QCOMPARE(QColor(buttonShot.pixel(60, 3)), QColor(0x34, 0x98, 0xDB));
    QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0xFF, 0xFF, 0xFF));
    QCOMPARE(QColor(editShot.pixel(60, 0)), QColor(0xDC, 0xE4, 0xEC));
    QCOMPARE(QColor(editShot.pixel(60, 1)), QColor(0xDC, 0xE4, 0xEC));
}

QTEST_MAIN(TestResources)
#include "testresources.moc"
