#include "reports/gridprogress.h"

namespace bkp::reports {

GridProgress::GridProgress(QWidget *grid) : QProgressBar(grid) {
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    const int h = fontMetrics().height() + 8;
    setGeometry(2, qMax(0, grid->height() - h - 2), qMax(40, grid->width() - 4), h);
    show();
    raise();
}

void GridProgress::setPosition(int recNo, int count, const QString &text) {
    setRange(0, qMax(1, count));
    setValue(qBound(0, recNo, qMax(1, count)));
    setFormat(text + QStringLiteral("  %1/%2").arg(recNo).arg(count));
}

} // namespace bkp::reports
