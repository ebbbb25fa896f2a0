#pragma once

namespace bkp::platform {

// Where the program reaches one of its platform ports: the port in use, the
// default it falls back to (which the start-up may replace, with the Qt dialogs
// say) and the built-in one that needs no window. A test sets a port of its own
// and goes back to the default by setting none.
template <class Port> class PortSlot {
public:
    explicit PortSlot(Port *builtIn) : m_builtIn(builtIn), m_default(builtIn), m_current(builtIn) {}

    Port &get() const { return *m_current; }
    void set(Port *port) { m_current = port ? port : m_default; }
    void setDefault(Port *port) {
        const bool following = m_current == m_default;
        m_default = port ? port : m_builtIn;
        if (following)
            m_current = m_default;
    }

private:
    Port *m_builtIn;
    Port *m_default;
    Port *m_current;
};

} // namespace bkp::platform
