#pragma once

namespace bkp::platform {

// The mouse cursor shown over the whole application.
enum class CursorKind { Default, Hourglass, SqlWait, AppStart, Arrow };

class CursorControl {
public:
    virtual ~CursorControl() = default;
    virtual CursorKind current() const = 0;
    virtual void set(CursorKind kind) = 0;
};

CursorControl &cursorControl();
void setCursorControl(CursorControl *control); // nullptr restores the default control
// The control setCursorControl(nullptr) comes back to; nullptr: one that only
// remembers the kind (a run without a window system).
void setDefaultCursorControl(CursorControl *control);

} // namespace bkp::platform
