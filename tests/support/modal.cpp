#include "support/modal.h"

#include <QApplication>
#include <QTimer>

namespace bkp::test {

void whenModalOpensWidget(const std::function<bool(QWidget *)> &handle) {
    auto *poll = new QTimer;
    poll->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [=] {
        if (!handle(QApplication::activeModalWidget()) && ++*tries < 500)
            return;
        poll->stop();
        poll->deleteLater();
    });
    poll->start();
}

} // namespace bkp::test
