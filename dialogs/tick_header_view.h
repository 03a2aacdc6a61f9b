#pragma once
// A list's column headers that draw a header's image at the right of its
// text, as the CD list shows the criterion tick. Which header shows which
// image is asked at every paint; the headers keep no state of their own.

#include <QHeaderView>
#include <QPixmap>

#include <cstdint>
#include <functional>

namespace lumo::dialogs {

class TickHeaderView final : public QHeaderView {
    Q_OBJECT
public:
    // imageOf(section) is the image index shown there, -1 for none; the
    // only image is the red tick.
    TickHeaderView(std::function<int32_t(int)> imageOf, QWidget* parent);

    // Where the tick of a section is drawn, in the header's coordinates;
    // empty when the section shows none.
    QRect tickRect(int logicalIndex) const;

    static QPixmap redTick();

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    std::function<int32_t(int)> imageOf_;
    QPixmap tick_;
};

}  // namespace lumo::dialogs
