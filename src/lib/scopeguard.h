#pragma once

#include <exception>
#include <utility>

namespace bkp {

// Runs a callable when the scope is left, normally or by an error: the undoing half
// of a change (a timer switched off, a flag raised, a connection half made) that must
// not outlive the code that needed it. dismiss() keeps it from running, for a change
// that is undone only when the work fails.
//
// An error of the callable on a normal exit leaves the scope; while an error is
// already leaving it, the callable's own error is dropped so that the first one,
// the cause, reaches the caller.
template <typename Undo> class ScopeGuard {
public:
    explicit ScopeGuard(Undo undo)
        : m_undo(std::move(undo)), m_errors(std::uncaught_exceptions()) {}
    ScopeGuard(const ScopeGuard &) = delete;
    ScopeGuard &operator=(const ScopeGuard &) = delete;

    ~ScopeGuard() noexcept(false) {
        if (!m_active)
            return;
        if (std::uncaught_exceptions() == m_errors) {
            m_undo();
            return;
        }
        try {
            m_undo();
        } catch (...) {
        }
    }

    void dismiss() { m_active = false; }

private:
    Undo m_undo;
    int m_errors;
    bool m_active = true;
};

} // namespace bkp
