#include "failsafe/window/page_printer.h"

#include <QFontDatabase>
#include <QPainter>

#include <climits>

namespace lumo::failsafe::window {

bool printLines(QPagedPaintDevice& printer, const std::vector<std::string>& lines) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    painter.setFont(font);
    const QRect page = painter.viewport();
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere | Qt::TextExpandTabs;
    int y = page.top();
    for (const std::string& line : lines) {
        const QString text = QString::fromStdString(line);
        const int height = text.isEmpty() ? painter.fontMetrics().lineSpacing()
                                          : painter.boundingRect(QRect(0, 0, page.width(), INT_MAX), flags, text).height();
        if (y + height > page.bottom() && y > page.top()) {
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            y = page.top();
        }
        painter.drawText(QRect(page.left(), y, page.width(), height), flags, text);
        y += height;
    }
    return painter.end();
}

}  // namespace lumo::failsafe::window
