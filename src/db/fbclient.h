#pragma once

// The Firebird client library's object interface, for the files of this folder only.

#include "db/errors.h"

#include <firebird/Interface.h>

#include <QString>
#include <utility>

namespace bkp::db::fb {

Firebird::IMaster *master();
Firebird::IUtil *util();

// The error of a failed call, as the server phrased it.
DatabaseError toError(Firebird::IStatus *status);

// Runs a call of the client library with a throwing status and turns the library's
// exception into a DatabaseError.
template <typename F> auto call(F &&f) {
    Firebird::ThrowStatusWrapper status(master()->getStatus());
    try {
        if constexpr (std::is_void_v<decltype(f(&status))>) {
            f(&status);
            status.dispose();
        } else {
            auto result = f(&status);
            status.dispose();
            return result;
        }
    } catch (const Firebird::FbException &e) {
        DatabaseError err = toError(e.getStatus());
        status.dispose();
        throw err;
    } catch (...) {
        status.dispose();
        throw;
    }
}

// Releases (or disposes of) an interface pointer of the client library when it goes out of scope.
template <typename T> class Ref {
public:
    Ref() = default;
    explicit Ref(T *p) : m_p(p) {}
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    Ref(Ref &&o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    Ref &operator=(Ref &&o) noexcept {
        if (this != &o) {
            reset();
            m_p = std::exchange(o.m_p, nullptr);
        }
        return *this;
    }
    ~Ref() { reset(); }
    void reset(T *p = nullptr) {
        if (m_p) {
            if constexpr (requires(T * x) { x->release(); })
                m_p->release();
            else
                m_p->dispose();
        }
        m_p = p;
    }
    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T *take() { return std::exchange(m_p, nullptr); }

private:
    T *m_p = nullptr;
};

} // namespace bkp::db::fb
