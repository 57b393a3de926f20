// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QHBoxLayout>
#include <QMetaEnum>
#include <QPainter>
#include <QWidget>

#include "imageswitch.h"
#include "switchbutton.h"

// The two self-painted controls: the segmented switch and the image switch.
class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void pressSelectsSegment_data();
    void pressSelectsSegment();
    void pressOnCurrentSegmentIsSilent();
    void slotsSeeTheOldIndex();
    void setCurrentIndex();
    void setCurrentIndexToSameValueDoesNotRepaint();
    void editSegments_data();
    void editSegments();
    void removeBeforeCurrent();
    void segmentSizeHint_data();
    void segmentSizeHint();
    void noColumnsForSegments_data();
    void noColumnsForSegments();
    void currentMark_data();
    void currentMark();
    void noCurrentMarkOutOfRange_data();
    void noCurrentMarkOutOfRange();
    void hoverMark();
    void separatorsAreDarker();
    void paintsFromThePalette();
    void labels();
    void keysMoveRingAndActivate();
    void accessibleTabList();

    void newImageSwitch();
    void sameStyleChangesNothing();
    void styleSetsSize_data();
    void styleSetsSize();
    void clicksFlipAndAnnounce();
    void setCheckedIsSilent();
    void setCheckedToSameStateDoesNotRepaint();
    void facePicture_data();
    void facePicture();
    void unknownStyleKeepsPicturesAndSize();
    void properties();
    void spaceTogglesAndRingShows();
    void accessibleCheckBox();
};

namespace
{

// The control's own colours.
const QColor barColour(46, 134, 193);
const QColor highlightColour(33, 97, 140);
const QColor lightColour(93, 173, 226);
const QColor labelColour(215, 219, 221);

const QStringList profileLabels = {"Performance", "Fast", "Normal", "Slow", "Powersave", "Custom"};

QImage shot(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor pixel(const QImage &img, int x, int y)
{
    return QColor(img.pixel(x, y));
}

// The 800 x 40 control of the overview page: pitch 133, segment k at columns 133k to 133k + 130.
struct ProfileSwitch {
    ProfileSwitch()
    {
        for (const QString &label : profileLabels)
            button.append(label);
        button.resize(800, 40);
    }
    SwitchButton button;
};

// Top edge of segment k, clear of the label.
QPoint segmentTop(int k)
{
    return QPoint(133 * k + 65, 4);
}

bool containsColourNear(const QImage &img, const QRect &area, const QColor &colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAbs(qRed(p) - colour.red()) <= 12 && qAbs(qGreen(p) - colour.green()) <= 12
                && qAbs(qBlue(p) - colour.blue()) <= 12)
                return true;
        }
    }
    return false;
}

// Shows a window and gives w the keyboard focus, as a click into the window and Tab would.
bool focusInWindow(QWidget &window, QWidget &w)
{
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return false;
    w.setFocus(Qt::TabFocusReason);
    return w.hasFocus();
}

bool containsColour(const QImage &img, const QColor &colour)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == colour.rgb())
                return true;
    return false;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

int largestChannelDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = qMax(worst, qAbs(qRed(p) - qRed(q)));
            worst = qMax(worst, qAbs(qGreen(p) - qGreen(q)));
            worst = qMax(worst, qAbs(qBlue(p) - qBlue(q)));
        }
    }
    return worst;
}

// What a switch of the given size should show: its window background with the picture, scaled
// to scaledSize, at topLeft.
QImage expectedFace(const QString &picturePath, const QSize &widgetSize, const QSize &scaledSize, const QPoint &topLeft)
{
    QWidget backdrop;
    backdrop.resize(widgetSize);
    QImage img = shot(backdrop);
    const QImage picture(picturePath);
    if (picture.isNull())
        return QImage();
    QPainter p(&img);
    p.drawImage(topLeft, picture.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return img;
}

#define COMPARE_FACE(widget, picturePath, scaledSize, topLeft)                                                         \
    do {                                                                                                               \
        const QImage actual_ = shot(widget);                                                                           \
        const QImage expected_ = expectedFace(picturePath, (widget).size(), scaledSize, topLeft);                      \
        QVERIFY2(!expected_.isNull(), qPrintable(QString("cannot load %1").arg(picturePath)));                         \
        QCOMPARE(actual_.size(), expected_.size());                                                                    \
        QVERIFY2(largestChannelDifference(actual_, expected_) <= 3,                                                    \
                 qPrintable(                                                                                           \
                     QString("does not show %1 at (%2, %3)").arg(picturePath).arg((topLeft).x()).arg((topLeft).y()))); \
    } while (false)

} // namespace

// --- SwitchButton ----------------------------------------------------------------------------

void TestControls::pressSelectsSegment_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("button"); // Qt::MouseButton
    QTest::addColumn<int>("index");
    QTest::newRow("left edge") << 0 << int(Qt::LeftButton) << 0;
    QTest::newRow("last column of segment 0") << 130 << int(Qt::LeftButton) << 0;
    QTest::newRow("first separator, left column") << 131 << int(Qt::LeftButton) << 0;
    QTest::newRow("first separator, right column") << 132 << int(Qt::LeftButton) << 0;
    QTest::newRow("first column of segment 1") << 133 << int(Qt::LeftButton) << 1;
    QTest::newRow("right button") << 133 << int(Qt::RightButton) << 1;
    QTest::newRow("last separator") << 664 << int(Qt::LeftButton) << 4;
    QTest::newRow("first column of segment 5") << 665 << int(Qt::LeftButton) << 5;
    QTest::newRow("last column of the pitch") << 797 << int(Qt::LeftButton) << 5;
    QTest::newRow("past the last segment") << 798 << int(Qt::LeftButton) << 5;
    QTest::newRow("right edge") << 799 << int(Qt::MiddleButton) << 5;
}

void TestControls::pressSelectsSegment()
{
    QFETCH(int, x);
    QFETCH(int, button);
    QFETCH(int, index);

    ProfileSwitch s;
    QSignalSpy spy(&s.button, &SwitchButton::indexChanged);
    // The press alone selects.
    QTest::mousePress(&s.button, Qt::MouseButton(button), {}, QPoint(x, 20));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), index);
    QCOMPARE(s.button.currentIndex(), index);
    QCOMPARE(s.button.currentText(), profileLabels.at(index));
    QTest::mouseRelease(&s.button, Qt::MouseButton(button), {}, QPoint(x, 20));
    QCOMPARE(spy.count(), 1);
}

void TestControls::pressOnCurrentSegmentIsSilent()
{
    ProfileSwitch s;
    s.button.setCurrentIndex(0, false);
    QSignalSpy spy(&s.button, &SwitchButton::indexChanged);

    QTest::mouseClick(&s.button, Qt::LeftButton, {}, QPoint(40, 20));
    QTest::mouseClick(&s.button, Qt::LeftButton, {}, QPoint(132, 20)); // separator of segment 0
    QCOMPARE(spy.count(), 0);

    QTest::mouseClick(&s.button, Qt::LeftButton, {}, QPoint(798, 20));
    QTest::mouseClick(&s.button, Qt::LeftButton, {}, QPoint(700, 20));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 5);
}

void TestControls::slotsSeeTheOldIndex()
{
    ProfileSwitch s;
    s.button.setCurrentIndex(1, false);
    QList<QPair<int, int>> seen; // (announced, currentIndex() during the signal)
    connect(&s.button, &SwitchButton::indexChanged, &s.button, [&](int index) {
        seen.append({index, s.button.currentIndex()});
    });

    QTest::mouseClick(&s.button, Qt::LeftButton, {}, segmentTop(3));
    s.button.setCurrentIndex(5, true);
    const QList<QPair<int, int>> expected = {{3, 1}, {5, 3}};
    QCOMPARE(seen, expected);
    QCOMPARE(s.button.currentIndex(), 5);
}

void TestControls::setCurrentIndex()
{
    ProfileSwitch s;
    QSignalSpy spy(&s.button, &SwitchButton::indexChanged);

    s.button.setCurrentIndex(2, false);
    QCOMPARE(s.button.currentIndex(), 2);
    QCOMPARE(spy.count(), 0);

    s.button.setCurrentIndex(2, true);
    QCOMPARE(spy.count(), 0);

    s.button.setCurrentIndex(4, true);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 4);
    QCOMPARE(s.button.currentText(), QString("Powersave"));

    // Code may store any index; it is announced like any other and shows no segment.
    s.button.setCurrentIndex(9, true);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toInt(), 9);
    QCOMPARE(s.button.currentIndex(), 9);
    QCOMPARE(s.button.currentText(), QString());
}

void TestControls::setCurrentIndexToSameValueDoesNotRepaint()
{
    ProfileSwitch s;
    s.button.setCurrentIndex(1, false);
    s.button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.button));
    QCoreApplication::processEvents();

    PaintCounter counter(&s.button);
    s.button.setCurrentIndex(1, true);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);

    s.button.setCurrentIndex(2, false);
    QTRY_VERIFY(counter.paints > 0);
}

void TestControls::editSegments_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("labels");

    const QStringList abc = {"A", "B", "C"};
    QTest::newRow("insert at count appends") << "insert" << 3 << true << QStringList{"A", "B", "C", "X"};
    QTest::newRow("insert at 0") << "insert" << 0 << true << QStringList{"X", "A", "B", "C"};
    QTest::newRow("insert in the middle") << "insert" << 1 << true << QStringList{"A", "X", "B", "C"};
    QTest::newRow("insert at -1") << "insert" << -1 << false << abc;
    QTest::newRow("insert past count") << "insert" << 4 << false << abc;
    QTest::newRow("remove first") << "remove" << 0 << true << QStringList{"B", "C"};
    QTest::newRow("remove last") << "remove" << 2 << true << QStringList{"A", "B"};
    QTest::newRow("remove at -1") << "remove" << -1 << false << abc;
    QTest::newRow("remove at count") << "remove" << 3 << false << abc;
    QTest::newRow("setText") << "setText" << 1 << true << QStringList{"A", "X", "C"};
    QTest::newRow("setText at -1") << "setText" << -1 << false << abc;
    QTest::newRow("setText at count") << "setText" << 3 << false << abc;
}

void TestControls::editSegments()
{
    QFETCH(QString, operation);
    QFETCH(int, index);
    QFETCH(bool, result);
    QFETCH(QStringList, labels);

    SwitchButton button;
    for (const char *label : {"A", "B", "C"})
        button.append(label);
    button.setCurrentIndex(1, false);
    QSignalSpy spy(&button, &SwitchButton::indexChanged);

    bool done = false;
    if (operation == "insert")
        done = button.insert(index, "X");
    else if (operation == "remove")
        done = button.remove(index);
    else
        done = button.setText(index, "X");
    QCOMPARE(done, result);

    QStringList shown;
    for (int i = 0; i < button.count(); ++i)
        shown << button.getText(i);
    QCOMPARE(shown, labels);
    QCOMPARE(button.getText(-1), QString());
    QCOMPARE(button.getText(button.count()), QString());
    // Editing never moves the current index.
    QCOMPARE(button.currentIndex(), 1);
    QCOMPARE(spy.count(), 0);
}

void TestControls::removeBeforeCurrent()
{
    SwitchButton button;
    QCOMPARE(button.currentIndex(), -1);
    for (const char *label : {"A", "B", "C", "D"})
        button.append(label);
    QCOMPARE(button.currentText(), QString());

    button.setCurrentIndex(2, false);
    QVERIFY(button.remove(0));
    QCOMPARE(button.currentIndex(), 2);
    QCOMPARE(button.currentText(), QString("D"));

    QVERIFY(button.remove(2));
    QCOMPARE(button.currentIndex(), 2);
    QCOMPARE(button.currentText(), QString());
}

void TestControls::segmentSizeHint_data()
{
    QTest::addColumn<int>("segments");
    QTest::addColumn<QSize>("hint");
    QTest::newRow("none") << 0 << QSize(0, 40);
    QTest::newRow("one") << 1 << QSize(100, 40);
    QTest::newRow("six") << 6 << QSize(600, 40);
}

void TestControls::segmentSizeHint()
{
    QFETCH(int, segments);
    QFETCH(QSize, hint);
    SwitchButton button;
    for (int i = 0; i < segments; ++i)
        button.append(QString::number(i));
    QCOMPARE(button.sizeHint(), hint);
}

void TestControls::noColumnsForSegments_data()
{
    QTest::addColumn<int>("segments");
    QTest::addColumn<int>("width");
    QTest::newRow("no segments") << 0 << 800;
    QTest::newRow("too narrow") << 6 << 3; // (3 + 2) / 6 == 0
}

// Nothing to divide the bar into: the bar is painted, presses are ignored.
void TestControls::noColumnsForSegments()
{
    QFETCH(int, segments);
    QFETCH(int, width);
    SwitchButton button;
    for (int i = 0; i < segments; ++i)
        button.append(profileLabels.at(i));
    button.resize(width, 40);

    QSignalSpy spy(&button, &SwitchButton::indexChanged);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(1, 20));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(button.currentIndex(), -1);

    button.setCurrentIndex(0, false);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&button, &enter);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 20), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &move);
    const QImage img = shot(button);
    QCOMPARE(pixel(img, 1, 20), barColour);
    QVERIFY(!containsColour(img, highlightColour));
    QVERIFY(!containsColour(img, lightColour));
}

void TestControls::currentMark_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QPoint>("marked");
    QTest::addColumn<QPoint>("notMarked");
    QTest::newRow("first") << 0 << segmentTop(0) << segmentTop(1);
    QTest::newRow("first reaches the left edge") << 0 << QPoint(0, 20) << QPoint(133, 20);
    QTest::newRow("first covers the separator's left column") << 0 << QPoint(131, 20) << QPoint(132, 20);
    QTest::newRow("middle") << 2 << segmentTop(2) << segmentTop(3);
    QTest::newRow("middle ends at its last column") << 3 << QPoint(529, 20) << QPoint(530, 20);
    QTest::newRow("last") << 5 << segmentTop(5) << segmentTop(4);
    QTest::newRow("last reaches the right edge") << 5 << QPoint(799, 20) << QPoint(663, 20);
}

void TestControls::currentMark()
{
    QFETCH(int, current);
    QFETCH(QPoint, marked);
    QFETCH(QPoint, notMarked);

    ProfileSwitch s;
    s.button.setCurrentIndex(current, false);
    const QImage img = shot(s.button);
    QCOMPARE(pixel(img, marked.x(), marked.y()), highlightColour);
    QVERIFY(pixel(img, notMarked.x(), notMarked.y()) != highlightColour);
}

void TestControls::noCurrentMarkOutOfRange_data()
{
    QTest::addColumn<int>("current");
    QTest::newRow("none") << -1;
    QTest::newRow("below") << -5;
    QTest::newRow("count") << 6;
    QTest::newRow("far above") << 100;
}

void TestControls::noCurrentMarkOutOfRange()
{
    QFETCH(int, current);
    ProfileSwitch s;
    s.button.setCurrentIndex(current, false);
    const QImage img = shot(s.button);
    QVERIFY(!containsColour(img, highlightColour));
    QCOMPARE(pixel(img, segmentTop(0).x(), 4), barColour);
    QCOMPARE(pixel(img, segmentTop(5).x(), 4), barColour);
}

void TestControls::hoverMark()
{
    ProfileSwitch s;
    s.button.move(0, 0);
    s.button.setCurrentIndex(2, false);
    s.button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.button));

    QTest::mouseMove(&s.button, QPoint(600, 20));
    QTRY_COMPARE(pixel(shot(s.button), segmentTop(4).x(), 4), lightColour);
    QImage img = shot(s.button);
    QCOMPARE(pixel(img, segmentTop(2).x(), 4), highlightColour);
    QCOMPARE(pixel(img, segmentTop(3).x(), 4), barColour);

    // Over the current segment the current mark wins.
    QTest::mouseMove(&s.button, QPoint(300, 20));
    QTRY_COMPARE(pixel(shot(s.button), segmentTop(4).x(), 4), barColour);
    img = shot(s.button);
    QCOMPARE(pixel(img, segmentTop(2).x(), 4), highlightColour);
    QVERIFY(!containsColour(img, lightColour));

    QTest::mouseMove(&s.button, QPoint(20, 20));
    QTRY_COMPARE(pixel(shot(s.button), segmentTop(0).x(), 4), lightColour);

    // Leaving the control takes the mark away.
    QTest::mouseMove(&s.button, QPoint(20, 300));
    QTRY_COMPARE(pixel(shot(s.button), segmentTop(0).x(), 4), barColour);
    QVERIFY(!containsColour(shot(s.button), lightColour));
}

void TestControls::separatorsAreDarker()
{
    ProfileSwitch s;
    const QImage img = shot(s.button);
    QCOMPARE(pixel(img, segmentTop(1).x(), 4), barColour);
    for (int k = 1; k < 6; ++k) {
        for (int x : {133 * k - 2, 133 * k - 1}) {
            const QColor c = pixel(img, x, 20);
            QVERIFY2(c.red() < barColour.red() && c.green() < barColour.green() && c.blue() < barColour.blue(),
                     qPrintable(QString("column %1 is not darker than the bar").arg(x)));
        }
    }
    // Nothing after the last segment.
    QCOMPARE(pixel(img, 797, 20), barColour);
}

void TestControls::paintsFromThePalette()
{
    ProfileSwitch s;
    s.button.setCurrentIndex(1, false);
    QPalette pal = s.button.palette();
    pal.setColor(QPalette::Highlight, Qt::red);
    pal.setColor(QPalette::Window, Qt::darkGreen);
    s.button.setPalette(pal);
    const QImage img = shot(s.button);
    QCOMPARE(pixel(img, segmentTop(1).x(), 4), QColor(Qt::red));
    QCOMPARE(pixel(img, segmentTop(3).x(), 4), QColor(Qt::darkGreen));
}

void TestControls::labels()
{
    ProfileSwitch s;
    s.button.setText(0, "Performance Performance Performance Performance");
    s.button.setText(1, QString());
    const QImage img = shot(s.button);

    // Labels are drawn in their segments in the label colour.
    QVERIFY2(containsColourNear(img, QRect(0, 0, 131, 40), labelColour), "no label in segment 0");
    QVERIFY2(containsColourNear(img, QRect(266, 0, 131, 40), labelColour), "no label in segment 2");

    // A label too wide for its segment is cut at the segment's edge: the separator after it
    // and the empty segment 1 show nothing of it.
    for (int x = 131; x < 264; ++x) {
        const QColor expected = x < 133 ? pixel(img, x, 0) : barColour;
        for (int y = 0; y < 40; ++y)
            QVERIFY2(pixel(img, x, y) == expected,
                     qPrintable(QString("label of segment 0 shows at (%1, %2)").arg(x).arg(y)));
    }
}

// Keys move a ring that selects nothing; Space and Enter select the ringed segment as a press
// does. Tab leads on to the next control.
void TestControls::keysMoveRingAndActivate()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *button = new SwitchButton;
    for (const QString &label : profileLabels)
        button->append(label);
    button->setFixedSize(800, 40);
    auto *next = new ImageSwitch;
    layout->addWidget(button);
    layout->addWidget(next);
    button->setCurrentIndex(2, false);
    QVERIFY(focusInWindow(window, *button));
    QCOMPARE(button->focusedIndex(), 2); // the ring starts on the current segment

    QSignalSpy spy(button, &SwitchButton::indexChanged);
    const QColor ring(255, 255, 255);
    const auto ringAt = [button, &ring](int k) { return pixel(shot(*button), 133 * k + 65, 2) == ring; };
    QVERIFY(ringAt(2));
    QVERIFY(!ringAt(3));

    QTest::keyClick(button, Qt::Key_Right);
    QCOMPARE(button->focusedIndex(), 3);
    QVERIFY(ringAt(3));
    QVERIFY(!ringAt(2));
    QTest::keyClick(button, Qt::Key_End);
    QTest::keyClick(button, Qt::Key_Right);
    QCOMPARE(button->focusedIndex(), 5);
    QTest::keyClick(button, Qt::Key_Home);
    QTest::keyClick(button, Qt::Key_Left);
    QCOMPARE(button->focusedIndex(), 0);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(button->currentIndex(), 2);

    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(button, Qt::Key_Right);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Right);
    QTest::keyClick(button, Qt::Key_Enter);
    QTest::keyClick(button, Qt::Key_Enter); // already current: silent, as a press is
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(0).at(0).toInt(), 0);
    QCOMPARE(spy.at(1).at(0).toInt(), 1);
    QCOMPARE(spy.at(2).at(0).toInt(), 2);
    QCOMPARE(button->currentIndex(), 2);

    QTest::keyClick(button, Qt::Key_Tab);
    QVERIFY(next->hasFocus());
    QVERIFY(!ringAt(2));
    QVERIFY(!containsColour(shot(*button), ring));
}

// Screen readers see a tab list whose tabs name the segments, carry their tool tips, show which
// one is current and select on "press".
void TestControls::accessibleTabList()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *button = new SwitchButton;
    for (const QString &label : profileLabels)
        button->append(label);
    QVERIFY(button->setToolTip(3, "Lowers the upper limit."));
    QVERIFY(!button->setToolTip(6, "none"));
    button->setFixedSize(800, 40);
    button->setAccessibleName("Profile");
    layout->addWidget(button);
    button->setCurrentIndex(1, false);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(button);
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::PageTabList);
    QCOMPARE(list->text(QAccessible::Name), QString("Profile"));
    QCOMPARE(list->childCount(), 6);
    QVERIFY(!list->child(6));

    QStringList names;
    QList<int> selected;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *tab = list->child(i);
        QCOMPARE(tab->role(), QAccessible::PageTab);
        QCOMPARE(tab->parent(), list);
        QCOMPARE(list->indexOfChild(tab), i);
        QCOMPARE(list->child(i), tab); // one interface per segment, not one per question
        names << tab->text(QAccessible::Name);
        if (tab->state().selected)
            selected << i;
    }
    QCOMPARE(names, profileLabels);
    QCOMPARE(selected, QList<int>{1});
    QCOMPARE(list->child(3)->text(QAccessible::Description), QString("Lowers the upper limit."));

    QSignalSpy spy(button, &SwitchButton::indexChanged);
    QAccessibleActionInterface *press = list->child(4)->actionInterface();
    QVERIFY(press);
    QVERIFY(press->actionNames().contains(QAccessibleActionInterface::pressAction()));
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 4);
    QVERIFY(list->child(4)->state().selected);
    QVERIFY(!list->child(1)->state().selected);

    QVERIFY(focusInWindow(window, *button));
    QTest::keyClick(button, Qt::Key_Left);
    QCOMPARE(list->focusChild(), list->child(3));
    QVERIFY(list->child(3)->state().focused);
    QVERIFY(!list->child(4)->state().focused);
    const QRect tabRect = list->child(3)->rect();
    QCOMPARE(list->childAt(tabRect.center().x(), tabRect.center().y()), list->child(3));
    QCOMPARE(tabRect.size(), QSize(131, 40));
}

// --- ImageSwitch -----------------------------------------------------------------------------

void TestControls::newImageSwitch()
{
    QWidget parent;
    QWidget plain(&parent);
    ImageSwitch sw(&parent);
    QVERIFY(!sw.getChecked());
    QCOMPARE(sw.getButtonStyle(), ImageSwitch::ButtonStyle_2);
    QCOMPARE(sw.size(), plain.size());

    ImageSwitch top;
    top.resize(87, 28);
    COMPARE_FACE(top, ":/res/pic/btncheckoff2.png", QSize(87, 28), QPoint(0, -1));
}

void TestControls::sameStyleChangesNothing()
{
    QWidget parent;
    ImageSwitch sw(&parent);
    const QSize initial = sw.size();
    QVERIFY(initial != QSize(87, 28));
    sw.setButtonStyle(ImageSwitch::ButtonStyle_2);
    QCOMPARE(sw.size(), initial);
    QCOMPARE(sw.getButtonStyle(), ImageSwitch::ButtonStyle_2);
}

void TestControls::styleSetsSize_data()
{
    QTest::addColumn<QList<int>>("styles");
    QTest::addColumn<QSize>("size");
    QTest::newRow("1") << QList<int>{ImageSwitch::ButtonStyle_1} << QSize(87, 28);
    QTest::newRow("3") << QList<int>{ImageSwitch::ButtonStyle_3} << QSize(96, 38);
    QTest::newRow("3 then 2") << QList<int>{ImageSwitch::ButtonStyle_3, ImageSwitch::ButtonStyle_2} << QSize(87, 28);
    QTest::newRow("1 then 3") << QList<int>{ImageSwitch::ButtonStyle_1, ImageSwitch::ButtonStyle_3} << QSize(96, 38);
}

void TestControls::styleSetsSize()
{
    QFETCH(QList<int>, styles);
    QFETCH(QSize, size);
    QWidget parent;
    ImageSwitch sw(&parent);
    for (int style : styles)
        sw.setButtonStyle(ImageSwitch::ButtonStyle(style));
    QCOMPARE(sw.getButtonStyle(), ImageSwitch::ButtonStyle(styles.last()));
    QCOMPARE(sw.size(), size);
    // The hints keep the pill's size whatever the style.
    QCOMPARE(sw.sizeHint(), QSize(87, 28));
    QCOMPARE(sw.minimumSizeHint(), QSize(87, 28));
}

void TestControls::clicksFlipAndAnnounce()
{
    ImageSwitch sw;
    sw.resize(87, 28);
    QSignalSpy spy(&sw, &ImageSwitch::checked);

    QTest::mouseClick(&sw, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(sw.getChecked());
    COMPARE_FACE(sw, ":/res/pic/btncheckon2.png", QSize(87, 28), QPoint(0, -1));

    QTest::mouseClick(&sw, Qt::RightButton, {}, QPoint(80, 20));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1).at(0).toBool(), false);
    QVERIFY(!sw.getChecked());
    COMPARE_FACE(sw, ":/res/pic/btncheckoff2.png", QSize(87, 28), QPoint(0, -1));

    // A double click comes as press, release, double click, release: two flips.
    QTest::mousePress(&sw, Qt::LeftButton, {}, QPoint(40, 14));
    QTest::mouseRelease(&sw, Qt::LeftButton, {}, QPoint(40, 14));
    QTest::mouseDClick(&sw, Qt::LeftButton, {}, QPoint(40, 14));
    QTest::mouseRelease(&sw, Qt::LeftButton, {}, QPoint(40, 14));
    QCOMPARE(spy.count(), 4);
    QCOMPARE(spy.at(2).at(0).toBool(), true);
    QCOMPARE(spy.at(3).at(0).toBool(), false);
    QVERIFY(!sw.getChecked());
}

void TestControls::setCheckedIsSilent()
{
    ImageSwitch sw;
    sw.resize(87, 28);
    QSignalSpy spy(&sw, &ImageSwitch::checked);

    sw.setChecked(true);
    QVERIFY(sw.getChecked());
    COMPARE_FACE(sw, ":/res/pic/btncheckon2.png", QSize(87, 28), QPoint(0, -1));
    sw.setChecked(true);
    QVERIFY(sw.setProperty("isChecked", false));
    QVERIFY(!sw.getChecked());
    COMPARE_FACE(sw, ":/res/pic/btncheckoff2.png", QSize(87, 28), QPoint(0, -1));
    QCOMPARE(spy.count(), 0);

    // After code set it, a click flips from the state code left.
    sw.setChecked(true);
    QTest::mouseClick(&sw, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
}

void TestControls::setCheckedToSameStateDoesNotRepaint()
{
    ImageSwitch sw;
    sw.resize(87, 28);
    sw.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sw));
    QCoreApplication::processEvents();

    PaintCounter counter(&sw);
    sw.setChecked(false);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);

    sw.setChecked(true);
    QTRY_VERIFY(counter.paints > 0);
}

void TestControls::facePicture_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QSize>("widgetSize");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QSize>("scaledSize");
    QTest::addColumn<QPoint>("topLeft");

    // Changing the style after the state must show the new style's picture for that state.
    QTest::newRow("1 off") << 0 << false << QSize(87, 28) << ":/res/pic/btncheckoff1.png" << QSize(87, 28)
                           << QPoint(0, -1);
    QTest::newRow("1 on") << 0 << true << QSize(87, 28) << ":/res/pic/btncheckon1.png" << QSize(87, 28)
                          << QPoint(0, -1);
    QTest::newRow("3 off") << 2 << false << QSize(96, 38) << ":/res/pic/btncheckoff3.png" << QSize(96, 38)
                           << QPoint(-1, -1);
    QTest::newRow("3 on") << 2 << true << QSize(96, 38) << ":/res/pic/btncheckon3.png" << QSize(96, 38)
                          << QPoint(-1, -1);
    // The policy editor's switch: 96 x 30.
    QTest::newRow("3 off, 96x30") << 2 << false << QSize(96, 30) << ":/res/pic/btncheckoff3.png" << QSize(75, 30)
                                  << QPoint(10, -1);
    QTest::newRow("3 on, 96x30") << 2 << true << QSize(96, 30) << ":/res/pic/btncheckon3.png" << QSize(75, 30)
                                 << QPoint(10, -1);
    // A style-2 picture in a wider widget is centred horizontally.
    QTest::newRow("2 on, 101x28") << 1 << true << QSize(101, 28) << ":/res/pic/btncheckon2.png" << QSize(87, 28)
                                  << QPoint(7, -1);
}

void TestControls::facePicture()
{
    QFETCH(int, style);
    QFETCH(bool, checked);
    QFETCH(QSize, widgetSize);
    QFETCH(QString, picture);
    QFETCH(QSize, scaledSize);
    QFETCH(QPoint, topLeft);

    ImageSwitch sw;
    sw.setChecked(checked);
    sw.setButtonStyle(ImageSwitch::ButtonStyle(style));
    QCOMPARE(sw.getChecked(), checked);
    sw.resize(widgetSize);
    COMPARE_FACE(sw, picture, scaledSize, topLeft);
}

void TestControls::unknownStyleKeepsPicturesAndSize()
{
    ImageSwitch sw;
    sw.setButtonStyle(ImageSwitch::ButtonStyle_3);
    sw.setChecked(true);
    sw.setButtonStyle(ImageSwitch::ButtonStyle(7));
    QCOMPARE(int(sw.getButtonStyle()), 7);
    QCOMPARE(sw.size(), QSize(96, 38));
    COMPARE_FACE(sw, ":/res/pic/btncheckon3.png", QSize(96, 38), QPoint(-1, -1));
    sw.setChecked(false);
    COMPARE_FACE(sw, ":/res/pic/btncheckoff3.png", QSize(96, 38), QPoint(-1, -1));
}

void TestControls::properties()
{
    const QMetaEnum styles = QMetaEnum::fromType<ImageSwitch::ButtonStyle>();
    QCOMPARE(styles.keyCount(), 3);
    QCOMPARE(styles.keyToValue("ButtonStyle_1"), 0);
    QCOMPARE(styles.keyToValue("ButtonStyle_2"), 1);
    QCOMPARE(styles.keyToValue("ButtonStyle_3"), 2);

    ImageSwitch sw;
    QSignalSpy spy(&sw, &ImageSwitch::checked);
    QVERIFY(sw.setProperty("buttonStyle", "ButtonStyle_3"));
    QCOMPARE(sw.getButtonStyle(), ImageSwitch::ButtonStyle_3);
    QCOMPARE(sw.size(), QSize(96, 38));
    QCOMPARE(sw.property("buttonStyle").value<ImageSwitch::ButtonStyle>(), ImageSwitch::ButtonStyle_3);

    QVERIFY(sw.setProperty("isChecked", true));
    QVERIFY(sw.getChecked());
    QCOMPARE(sw.property("isChecked").toBool(), true);
    QCOMPARE(spy.count(), 0);
}

// Space flips the focused switch and announces it as a press does; the focus shows as a ring in
// the style sheet's focus colour, on the picture, and goes with the focus.
void TestControls::spaceTogglesAndRingShows()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *sw = new ImageSwitch;
    sw->setButtonStyle(ImageSwitch::ButtonStyle_3);
    sw->setFixedSize(96, 30);
    auto *other = new ImageSwitch;
    layout->addWidget(sw);
    layout->addWidget(other);
    QSignalSpy spy(sw, &ImageSwitch::checked);
    const QColor ring(0x1A, 0xBC, 0x9C);
    QVERIFY(!containsColourNear(shot(*sw), sw->rect(), ring));

    QVERIFY(focusInWindow(window, *sw));
    // The picture is 75 x 30 at (10, -1): the ring runs along its edges.
    const QImage focused = shot(*sw);
    QVERIFY(containsColourNear(focused, QRect(40, 0, 20, 2), ring));
    QVERIFY(containsColourNear(focused, QRect(10, 10, 3, 10), ring));
    QVERIFY(containsColourNear(focused, QRect(82, 10, 3, 10), ring));

    QTest::keyClick(sw, Qt::Key_Space);
    QTest::keyClick(sw, Qt::Key_Enter); // Enter belongs to the dialog, not to a check box
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(sw->getChecked());
    QTest::keyClick(sw, Qt::Key_Space);
    QCOMPARE(spy.count(), 2);
    QVERIFY(!sw->getChecked());

    other->setFocus(Qt::TabFocusReason);
    QVERIFY(!containsColourNear(shot(*sw), sw->rect(), ring));
}

// Screen readers see a named check box with its state, and can toggle it.
void TestControls::accessibleCheckBox()
{
    ImageSwitch sw;
    sw.setAccessibleName("CPU 1 online");
    sw.setAccessibleDescription("Takes the CPU offline or brings it back.");
    QAccessibleInterface *box = QAccessible::queryAccessibleInterface(&sw);
    QVERIFY(box);
    QCOMPARE(box->role(), QAccessible::CheckBox);
    QCOMPARE(box->text(QAccessible::Name), QString("CPU 1 online"));
    QCOMPARE(box->text(QAccessible::Description), QString("Takes the CPU offline or brings it back."));
    QVERIFY(box->state().checkable);
    QVERIFY(box->state().focusable);
    QVERIFY(!box->state().checked);

    sw.setChecked(true);
    QVERIFY(box->state().checked);

    QSignalSpy spy(&sw, &ImageSwitch::checked);
    QAccessibleActionInterface *actions = box->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(!box->state().checked);

    sw.setEnabled(false);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestControls)
#include "testcontrols.moc"
