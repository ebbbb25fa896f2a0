#pragma once

#include <QWidget>
#include <functional>

namespace bkp::test {

// Waits (a bounded while) for the next modal window of kind T, lets `look` see
// it and closes it, as the operator would.
template <typename T> void whenModalOpens(const std::function<void(T &)> &look);
void whenModalOpensWidget(const std::function<bool(QWidget *)> &handle);

template <typename T> void whenModalOpens(const std::function<void(T &)> &look) {
    whenModalOpensWidget([look](QWidget *w) {
        T *modal = qobject_cast<T *>(w);
        if (!modal)
            return false;
        look(*modal);
        modal->close();
        return true;
    });
}

} // namespace bkp::test
