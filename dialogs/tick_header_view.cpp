#include "dialogs/tick_header_view.h"

#include <QPainter>
#include <QPainterPath>

namespace lumo::dialogs {

TickHeaderView::TickHeaderView(std::function<int32_t(int)> imageOf, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), imageOf_(std::move(imageOf)), tick_(redTick()) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QPixmap TickHeaderView::redTick() {
    QPixmap tick(16, 16);
    tick.fill(Qt::transparent);
    QPainter painter(&tick);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(220, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath check;
    check.moveTo(2.5, 8.5);
    check.lineTo(6.0, 12.5);
    check.lineTo(13.5, 3.0);
    painter.drawPath(check);
    return tick;
}

QRect TickHeaderView::tickRect(int logicalIndex) const {
    if (!model() || imageOf_(logicalIndex) < 0) return {};
    const QString text = model()->headerData(logicalIndex, orientation()).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int left = sectionViewportPosition(logicalIndex) + margin + fontMetrics().horizontalAdvance(text) + margin;
    return {left, (height() - tick_.height()) / 2, tick_.width(), tick_.height()};
}

void TickHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    const QRect tick = tickRect(logicalIndex);
    if (tick.isEmpty()) return;
    painter->save();
    painter->setClipRect(rect);
    painter->drawPixmap(tick.topLeft(), tick_);
    painter->restore();
}

}  // namespace lumo::dialogs
