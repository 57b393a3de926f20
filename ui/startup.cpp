#include "startup.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPalette>

namespace
{
int halfRoundedUp(int difference)
{
    return difference / 2 + (difference % 2 > 0 ? 1 : 0);
}
} // namespace

bool StartUp::refusesToStart(uid_t effectiveUser, const QString &applicationDirPath)
{
    return effectiveUser != 0 && applicationDirPath.startsWith(QLatin1String("/opt"));
}

bool StartUp::installStyleSheet(QApplication &app, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    app.setStyleSheet(QString::fromUtf8(bytes));
    return true;
}

void StartUp::installPalette()
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::All, QPalette::Highlight, QColor(QStringLiteral("#1ABC9C")));
    palette.setColor(QPalette::All, QPalette::WindowText, QColor(QStringLiteral("#000000")));
    palette.setColor(QPalette::All, QPalette::Text, QColor(QStringLiteral("#000000")));
    palette.setColor(QPalette::All, QPalette::Window, QColor(QStringLiteral("#FFFFFF")));
    palette.setColor(QPalette::All, QPalette::Base, QColor(QStringLiteral("#FFFFFF")));
    palette.setColor(QPalette::All, QPalette::Button, QColor(QStringLiteral("#FFFFFF")));
    QApplication::setPalette(palette);
}

void StartUp::installFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(17);
    QApplication::setFont(font);
}

QPoint StartUp::centredPosition(const QSize &window, const QSize &available)
{
    return QPoint(halfRoundedUp(available.width() - window.width()),
                  halfRoundedUp(available.height() - window.height()));
}
