#pragma once

#include <QObject>
#include <QString>
#include <gtest/gtest.h>

namespace bkp::test {

// The control named `name` among the children of `parent`, as the window names it;
// a test that asks for one that is not there fails.
template <typename Control> Control *child(const QObject *parent, const char *name) {
    auto *found = parent->findChild<Control *>(QString::fromLatin1(name));
    if (!found)
        ADD_FAILURE() << "no control named " << name;
    return found;
}

} // namespace bkp::test
