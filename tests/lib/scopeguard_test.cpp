#include "lib/scopeguard.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

using bkp::ScopeGuard;

// The undo runs on a normal exit and on an error, not once dismissed; while an error
// leaves the scope, the undo's own error gives way to it.
TEST(ScopeGuard, UndoesOnEveryWayOutUnlessDismissed) {
    struct Case {
        const char *name;
        bool fail;
        bool dismiss;
        bool undoFails;
        int undone;
        std::string error;
    };
    const Case cases[] = {
        {"normal exit", false, false, false, 1, ""},
        {"error", true, false, false, 1, "work"},
        {"dismissed after the work", false, true, false, 0, ""},
        {"undo fails on a normal exit", false, false, true, 1, "undo"},
        {"undo fails during an error", true, false, true, 1, "work"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int undone = 0;
        std::string error;
        try {
            ScopeGuard guard([&] {
                ++undone;
                if (c.undoFails)
                    throw std::runtime_error("undo");
            });
            if (c.fail)
                throw std::runtime_error("work");
            if (c.dismiss)
                guard.dismiss();
        } catch (const std::exception &e) {
            error = e.what();
        }
        EXPECT_EQ(undone, c.undone);
        EXPECT_EQ(error, c.error);
    }
}
