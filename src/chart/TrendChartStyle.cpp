#include "chart/TrendChartStyle.h"

#include <qcustomplot.h>

namespace korvex {

namespace {

const QColor kReadingBlue(0, 0, 255);
const QColor kSilver(192, 192, 192);
constexpr double kInitialValueLimit = 40;

QCPGraph* AddSeries(QCustomPlot* chart, const QString& name, const QPen& pen, bool active)
{
    QCPGraph* series = chart->addGraph(chart->xAxis, chart->yAxis);
    series->setName(name);
    series->setObjectName(name);
    series->setPen(pen);
    series->setLineStyle(QCPGraph::lsLine);
    series->setSelectable(QCP::stNone);
    series->setVisible(active);
    return series;
}

// Labels at whole multiples of step only, spaced wider when the range would crowd them.
void UseMultiplesOf(QCPAxis* axis, double step)
{
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setTickStep(step);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    axis->setTicker(ticker);
}

void UseSilverGrid(QCPAxis* axis)
{
    axis->grid()->setPen(QPen(kSilver, 0, Qt::SolidLine));
    axis->grid()->setZeroLinePen(QPen(kSilver, 0, Qt::SolidLine));
    axis->grid()->setSubGridVisible(false);
}

}  // namespace

void StyleTrendChart(QCustomPlot* chart)
{
    chart->clearGraphs();
    chart->setAutoAddPlottableToLegend(false);
    chart->legend->setVisible(false);
    chart->setInteractions(QCP::Interactions());
    // A replot is shown with the window's next paint, together with whatever else changed, rather than
    // drawn and handed to the screen on its own at once.
    chart->setPlottingHint(QCP::phImmediateRefresh, false);
    // The plot area is white because the whole chart is: a white brush of its own would fill it a second
    // time on every drawing.
    chart->setBackground(QBrush(Qt::white));
    chart->axisRect()->setBackground(Qt::NoBrush);
    chart->axisRect()->setRangeDrag(Qt::Orientations());
    chart->axisRect()->setRangeZoom(Qt::Orientations());

    QCPGraph* area = AddSeries(chart, QStringLiteral("Series2"), QPen(Qt::red), false);
    area->setBrush(QBrush(QColor(255, 0, 0, 96)));
    AddSeries(chart, QStringLiteral("Series1"), QPen(kReadingBlue, 1), true);
    AddSeries(chart, QStringLiteral("Series3"), QPen(Qt::darkGreen), false);

    chart->xAxis->setLabel(QStringLiteral("Record Number"));
    UseMultiplesOf(chart->xAxis, 1);
    chart->xAxis->setNumberFormat(QStringLiteral("f"));
    chart->xAxis->setNumberPrecision(0);
    UseSilverGrid(chart->xAxis);

    chart->yAxis->setLabel(QStringLiteral("Value"));
    UseMultiplesOf(chart->yAxis, 0.1);
    chart->yAxis->setRange(-kInitialValueLimit, kInitialValueLimit);
    UseSilverGrid(chart->yAxis);
}

}  // namespace korvex
