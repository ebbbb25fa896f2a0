#pragma once

#include <QProgressBar>

namespace bkp::reports {

// A progress bar laid over the foot of a grid while something walks through its
// records: the record position and a text, gone again when the work ends.
class GridProgress : public QProgressBar {
    Q_OBJECT
public:
    explicit GridProgress(QWidget *grid);

    // Record `recNo` of `count`, with the text of the work being done.
    void setPosition(int recNo, int count, const QString &text);
};

} // namespace bkp::reports
