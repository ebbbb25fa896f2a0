#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace bkp::test {

// Stands in for the desktop's associated programs: records what it was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace bkp::test
