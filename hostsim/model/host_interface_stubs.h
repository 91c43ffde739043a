// The implementing side of each host interface's layout: a base that answers
// every placeholder slot, so a host object overrides only the operations it
// serves. The slots come from the interface's one layout list.
#pragma once

#include "host/host_interfaces.h"

template <class I>
class CHostInterfaceStub;

#define QF_STUB_SKIP_OPERATION(name, parameters)
// Gaps in the host's vtables: there, but answering nothing.
#define QF_STUB_ANSWER_GAP(slot) \
    HRESULT STDMETHODCALLTYPE Reserved##slot() override { return E_NOTIMPL; }
// A base class cannot be parenthesised.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define QF_DEFINE_STUB(I)                                           \
    template <>                                                     \
    class CHostInterfaceStub<I> : public I {                        \
    public:                                                         \
        QF_##I##_SLOTS(QF_STUB_SKIP_OPERATION, QF_STUB_ANSWER_GAP) \
    };
// NOLINTEND(bugprone-macro-parentheses)
QF_HOST_INTERFACES(QF_DEFINE_STUB)
#undef QF_DEFINE_STUB
#undef QF_STUB_ANSWER_GAP
#undef QF_STUB_SKIP_OPERATION
