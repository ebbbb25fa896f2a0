#include "platform/cursor.h"

#include "platform/portslot.h"

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
PortSlot<CursorControl> g_cursor(&g_remembered);

} // namespace

CursorControl &cursorControl() {
    return g_cursor.get();
}
void setCursorControl(CursorControl *control) {
    g_cursor.set(control);
}
void setDefaultCursorControl(CursorControl *control) {
    g_cursor.setDefault(control);
}

} // namespace bkp::platform
