#include "platform/cursor.h"

namespace bkp::platform {

namespace {

class RememberedCursor : public CursorControl {
public:
    CursorKind current() const override { return m_current; }
    void set(CursorKind kind) override { m_current = kind; }

private:
    CursorKind m_current = CursorKind::Default;
};

RememberedCursor g_remembered;
CursorControl *g_default = &g_remembered;
CursorControl *g_cursor = &g_remembered;

} // namespace

CursorControl &cursorControl() {
    return *g_cursor;
}
void setCursorControl(CursorControl *control) {
    g_cursor = control ? control : g_default;
}
void setDefaultCursorControl(CursorControl *control) {
    const bool following = g_cursor == g_default;
    g_default = control ? control : &g_remembered;
    if (following)
        g_cursor = g_default;
}

} // namespace bkp::platform
