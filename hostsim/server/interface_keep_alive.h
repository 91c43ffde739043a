// Wine withdraws the RPC registration of an interface when the last stub of
// that interface goes away, and the withdrawal (RpcServerUnregisterIf, which
// waits for calls to complete) can deadlock inside the very RemRelease that
// dropped the stub. A client that releases the host's only item and
// annotations objects item after item meets that again and again.
//
// CInterfaceKeepAlive holds one table-strong marshal of each host interface,
// and of IDispatch, ISupportErrorInfo and IRunnableObject, which clients reach
// on the host's objects too, for the host's whole life, so no interface's registration
// drops to zero while clients come and go. The objects it marshals belong to a host state of
// their own: they are no client's references, never hold up a save or the
// end of a host that COM started, and no client can reach them.
//
// Activation meets the same deadlock: every client's CoCreateInstance has
// the class object marshalled afresh as IClassFactory and IUnknown, calls
// CreateInstance, and drops it at once, which withdrew both registrations
// in the RemRelease right after the call, once a run. So the class object
// itself is held marshalled under both for as long as it is registered: its
// stub, and every interface stub activations add to it, then live as long.
#pragma once

#include "model/host_state.h"

#include <memory>
#include <vector>

class CInterfaceKeepAlive {
public:
    CInterfaceKeepAlive() = default;
    CInterfaceKeepAlive(const CInterfaceKeepAlive&) = delete;
    CInterfaceKeepAlive& operator=(const CInterfaceKeepAlive&) = delete;
    virtual ~CInterfaceKeepAlive() { Release(); }

    // Marshals one object of every interface clients reach. Needs COM initialised and
    // the type library registered (its marshaler makes the stubs).
    HRESULT Hold() noexcept;
    // Marshals the registered class object as IClassFactory and IUnknown.
    HRESULT HoldClassObject(IClassFactory* classObject) noexcept;
    // Gives the marshals back; the interfaces stay registered for as long as
    // clients still hold objects of them.
    void Release() noexcept;

private:
    template <class Interface, class Object, class... Position>
    HRESULT HoldOne(REFIID iid, Position... position);
    HRESULT Marshal(REFIID iid, IUnknown* object);

    std::shared_ptr<CHostState> m_state;
    std::vector<IStream*> m_marshals;
};
