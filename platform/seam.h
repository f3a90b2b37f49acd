// The one way a layer reaches a service that another layer provides: an
// interface, a Set function that installs an implementation (not owned; null
// removes it) and a Get function that returns it (null: the service is absent
// and the caller takes its "missing" path). The program installs its services
// in app/globals.cpp or in a layer's start-up file; tests install theirs for a
// scope with ScopedInstall. docs/architecture.md lists every seam.
#pragma once
#include <type_traits>

namespace plat {

// Installs a service for the lifetime of the guard, then puts back the one
// that was installed before:
//   using ScopedAniSound = plat::ScopedInstall<GetAniSound, SetAniSound>;
template <auto Get, auto Set>
class ScopedInstall {
public:
    using Service = std::remove_pointer_t<decltype(Get())>;
    explicit ScopedInstall(Service& service) : m_previous(Get()) { Set(&service); }
    ~ScopedInstall() { Set(m_previous); }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

private:
    Service* m_previous;
};

}  // namespace plat
