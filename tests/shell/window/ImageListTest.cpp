#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <functional>
#include <utility>
#include <vector>

#include "shell/ImageList.h"

namespace korvex {
namespace {

// An icon holding both pictures from the start, as the tool bars had them before they were painted on demand.
QIcon BothPictures(const std::function<QPixmap(int)>& paint)
{
    QIcon icon;
    icon.addPixmap(paint(16));
    icon.addPixmap(paint(32));
    return icon;
}

QImage PaintedThrough(const QIcon& icon, const QSize& size, qreal scale, QIcon::Mode mode, QIcon::State state)
{
    QImage canvas(size * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    icon.paint(&p, QRect(QPoint(), size), Qt::AlignCenter, mode, state);
    return canvas;
}

// Painted on demand, a tool bar picture looks the same at every size, scale, mode and state.
TEST(ToolBarPictures, OnDemandIconsMatchIconsHoldingBothPictures)
{
    std::vector<std::pair<QIcon, QIcon>> pairs;
    for (int i = 0; i < ToolImageCount; ++i)
        pairs.emplace_back(ToolImage(i), BothPictures([i](int size) { return PaintToolImage(i, size); }));
    pairs.emplace_back(StatisticsImage(), BothPictures(PaintStatisticsImage));

    const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
    for (const auto& [onDemand, both] : pairs) {
        EXPECT_FALSE(onDemand.isNull());
        EXPECT_EQ(onDemand.availableSizes(), both.availableSizes());
        for (const QSize size : {QSize(12, 12), QSize(16, 16), QSize(20, 12), QSize(24, 24), QSize(32, 32), QSize(48, 48)}) {
            for (const qreal scale : {1.0, 2.0}) {
                for (const QIcon::Mode mode : modes) {
                    for (const QIcon::State state : {QIcon::Off, QIcon::On}) {
                        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " scale " << scale
                                                        << " mode " << mode << " state " << state);
                        EXPECT_EQ(onDemand.actualSize(size, mode, state), both.actualSize(size, mode, state));
                        EXPECT_EQ(onDemand.pixmap(size, scale, mode, state).toImage(),
                                  both.pixmap(size, scale, mode, state).toImage());
                        EXPECT_EQ(PaintedThrough(onDemand, size, scale, mode, state),
                                  PaintedThrough(both, size, scale, mode, state));
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace korvex
