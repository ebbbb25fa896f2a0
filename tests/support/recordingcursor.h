#pragma once

#include "platform/cursor.h"

namespace bkp::platform {

// Keeps the cursor in memory and counts its changes.
class RecordingCursor : public CursorControl {
public:
    CursorKind current() const override { return m_current; }
    void set(CursorKind kind) override {
        m_current = kind;
        ++m_changes;
    }
    int changes() const { return m_changes; }

private:
    CursorKind m_current = CursorKind::Default;
    int m_changes = 0;
};

} // namespace bkp::platform
