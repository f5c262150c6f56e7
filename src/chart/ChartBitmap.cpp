#include "chart/ChartBitmap.h"

#include <stdexcept>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <qcustomplot.h>

namespace korvex {

namespace {

[[noreturn]] void FailToWrite(const QString& fileName, const QString& reason)
{
    throw std::runtime_error(QStringLiteral("Cannot write the chart picture \"%1\": %2.")
                                 .arg(fileName, reason)
                                 .toStdString());
}

QImage ChartOnWhite(QCustomPlot* chart)
{
    const QPixmap drawn = chart->toPixmap(chart->width(), chart->height());
    QImage picture(drawn.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, drawn);
    return picture;
}

}  // namespace

void SaveChartBitmap(QCustomPlot* chart, const QString& fileName)
{
    // Encoded in memory first, so a picture that cannot be encoded leaves the file alone.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, "BMP");
    if (!encoder.write(ChartOnWhite(chart)))
        FailToWrite(fileName, encoder.errorString());

    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        FailToWrite(fileName, file.errorString());
    if (file.write(encoded) != encoded.size() || !file.flush())
        FailToWrite(fileName, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        FailToWrite(fileName, file.errorString());
}

}  // namespace korvex
