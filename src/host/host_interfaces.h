// The Lumora host's automation interfaces, declared by hand slot by slot.
// IUnknown fills slots 0-2 and IDispatch 3-6; every host operation must sit
// at the exact position the host's vtable gives it, so the gaps are filled
// with placeholder methods that nothing calls.
//
// Each interface's slots from 7 on are written once, as a list that names
// OPERATION(name, parameter types) or GAP(slot) in vtable order. The
// declarations here, the host stand-in's stub bases and the Wine slot probes
// all expand the same lists, so a layout cannot drift between them.
#pragma once

#include "platform/com.h"

struct IHostCatalog;
struct IHostMediaSets;
struct IHostMediaSet;
struct IHostMediaItems;
struct IHostMediaItem;
struct IHostAnnotations;

// {16430AC8-7237-44FD-92B4-B6AF687D2019}
inline const CLSID CLSID_LumoraApplication = {
    0x16430AC8, 0x7237, 0x44FD, {0x92, 0xB4, 0xB6, 0xAF, 0x68, 0x7D, 0x20, 0x19}};
inline const IID IID_IHostApplication = {
    0xCACA679F, 0x9731, 0x45E0, {0xB6, 0x27, 0x70, 0x9D, 0xA2, 0x16, 0x12, 0x4F}};
inline const IID IID_IHostCatalog = {
    0x5F729125, 0x9095, 0x432F, {0xB8, 0x4D, 0x6B, 0xBB, 0xF4, 0xEA, 0x63, 0x33}};
inline const IID IID_IHostMediaSets = {
    0xEF30CB26, 0xF92F, 0x462B, {0x87, 0xF5, 0x47, 0xB8, 0xA9, 0xA1, 0x7F, 0x6D}};
inline const IID IID_IHostMediaSet = {
    0xC1E89B25, 0xC564, 0x464E, {0xB4, 0x79, 0x9A, 0xEC, 0xF0, 0x02, 0x13, 0xAF}};
inline const IID IID_IHostMediaItems = {
    0x9491FC6B, 0x2FA5, 0x4EF5, {0xAC, 0x31, 0x37, 0xF8, 0xEA, 0xA8, 0x1E, 0x98}};
inline const IID IID_IHostMediaItem = {
    0xFBEF8CC4, 0x3D8C, 0x4DA7, {0x92, 0xBE, 0x02, 0x44, 0x71, 0xEA, 0xEB, 0xEC}};
inline const IID IID_IHostAnnotations = {
    0x6827E93C, 0xAE84, 0x4177, {0x96, 0x8C, 0x8D, 0xEC, 0x1C, 0xC3, 0x38, 0x66}};

// Ten placeholder slots, d0 to d9.
#define QF_GAP_DECADE(GAP, d) GAP(d##0) GAP(d##1) GAP(d##2) GAP(d##3) GAP(d##4) GAP(d##5) GAP(d##6) GAP(d##7) GAP(d##8) GAP(d##9)

#define QF_IHostApplication_SLOTS(OPERATION, GAP) \
    OPERATION(get_Name, (BSTR*))                  \
    OPERATION(get_Version, (BSTR*))               \
    OPERATION(get_Path, (BSTR*))                  \
    OPERATION(get_ActiveCatalog, (IHostCatalog**))

#define QF_IHostCatalog_SLOTS(OPERATION, GAP)                                         \
    GAP(7) OPERATION(get_Index, (LONG*)) OPERATION(get_Name, (BSTR*)) GAP(10)         \
    OPERATION(get_Path, (BSTR*))                                                      \
    GAP(12) GAP(13) GAP(14) GAP(15) GAP(16) GAP(17) GAP(18) GAP(19) QF_GAP_DECADE(GAP, 2) \
    OPERATION(get_MediaSets, (IHostMediaSets**))

#define QF_IHostMediaSets_SLOTS(OPERATION, GAP) \
    GAP(7) OPERATION(get_Count, (LONG*)) OPERATION(get_Item, (LONG, IHostMediaSet**))

#define QF_IHostMediaSet_SLOTS(OPERATION, GAP)                                                    \
    GAP(7) OPERATION(get_Name, (BSTR*)) GAP(9) OPERATION(get_Index, (LONG*)) GAP(11) GAP(12)      \
    OPERATION(get_IsSkipped, (VARIANT_BOOL*)) OPERATION(get_Level, (LONG*))                       \
    OPERATION(get_Parent, (IHostMediaSet**)) OPERATION(get_MediaItems, (IHostMediaItems**))

#define QF_IHostMediaItems_SLOTS(OPERATION, GAP) \
    GAP(7) OPERATION(get_Count, (LONG*)) OPERATION(get_Item, (LONG, IHostMediaItem**))

#define QF_IHostMediaItem_SLOTS(OPERATION, GAP)                                             \
    GAP(7) GAP(8) GAP(9) QF_GAP_DECADE(GAP, 1) QF_GAP_DECADE(GAP, 2)                        \
    GAP(30) GAP(31) GAP(32) GAP(33) GAP(34) OPERATION(get_Annotations, (IHostAnnotations**))

#define QF_IHostAnnotations_SLOTS(OPERATION, GAP)                                           \
    GAP(7) GAP(8) GAP(9) QF_GAP_DECADE(GAP, 1) QF_GAP_DECADE(GAP, 2) QF_GAP_DECADE(GAP, 3)  \
    GAP(40) GAP(41) GAP(42) GAP(43) GAP(44) GAP(45) GAP(46) GAP(47)                         \
    OPERATION(get_Keywords, (BSTR*)) OPERATION(put_Keywords, (BSTR))

// Every host interface: its name, for lists that go over all of them.
#define QF_HOST_INTERFACES(X) \
    X(IHostApplication) X(IHostCatalog) X(IHostMediaSets) X(IHostMediaSet) X(IHostMediaItems) X(IHostMediaItem) X(IHostAnnotations)

#define QF_DECLARE_OPERATION(name, parameters) virtual HRESULT STDMETHODCALLTYPE name parameters = 0;
#define QF_DECLARE_GAP(slot) virtual HRESULT STDMETHODCALLTYPE Reserved##slot() = 0;
#define QF_DECLARE_INTERFACE(I) \
    struct I : IDispatch {      \
        QF_##I##_SLOTS(QF_DECLARE_OPERATION, QF_DECLARE_GAP) \
    };
QF_HOST_INTERFACES(QF_DECLARE_INTERFACE)
#undef QF_DECLARE_INTERFACE
#undef QF_DECLARE_GAP
#undef QF_DECLARE_OPERATION

// The identifier of each host interface, for error objects and QueryInterface.
template <class I>
struct HostInterfaceId;
#define QF_HOST_INTERFACE_ID(I)                      \
    template <>                                      \
    struct HostInterfaceId<I> {                      \
        static const IID& Get() { return IID_##I; }  \
    };
QF_HOST_INTERFACES(QF_HOST_INTERFACE_ID)
QF_HOST_INTERFACE_ID(IUnknown)
#undef QF_HOST_INTERFACE_ID
