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
void setCursorControl(CursorControl *control); // nullptr restores the application's cursor

// Keeps the cursor in memory only (tests, and runs without a window system).
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
