// The Lumora host's automation interfaces, declared by hand slot by slot.
// IUnknown fills slots 0-2 and IDispatch 3-6; every host operation must sit
// at the exact position the host's vtable gives it, so the gaps are filled
// with placeholder methods that nothing calls.
#pragma once

#include "platform/com.h"

#define QF_PLACEHOLDER(slot) virtual HRESULT STDMETHODCALLTYPE Reserved##slot() = 0

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

struct IHostApplication : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;                       // 7
    virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) = 0;                 // 8
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) = 0;                       // 9
    virtual HRESULT STDMETHODCALLTYPE get_ActiveCatalog(IHostCatalog** catalog) = 0;  // 10
};

struct IHostCatalog : IDispatch {
    QF_PLACEHOLDER(7);
    virtual HRESULT STDMETHODCALLTYPE get_Index(LONG* index) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;    // 9
    QF_PLACEHOLDER(10);
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) = 0;  // 11
    QF_PLACEHOLDER(12);
    QF_PLACEHOLDER(13);
    QF_PLACEHOLDER(14);
    QF_PLACEHOLDER(15);
    QF_PLACEHOLDER(16);
    QF_PLACEHOLDER(17);
    QF_PLACEHOLDER(18);
    QF_PLACEHOLDER(19);
    QF_PLACEHOLDER(20);
    QF_PLACEHOLDER(21);
    QF_PLACEHOLDER(22);
    QF_PLACEHOLDER(23);
    QF_PLACEHOLDER(24);
    QF_PLACEHOLDER(25);
    QF_PLACEHOLDER(26);
    QF_PLACEHOLDER(27);
    QF_PLACEHOLDER(28);
    QF_PLACEHOLDER(29);
    virtual HRESULT STDMETHODCALLTYPE get_MediaSets(IHostMediaSets** sets) = 0;  // 30
};

struct IHostMediaSets : IDispatch {
    QF_PLACEHOLDER(7);
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;                        // 8
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaSet** set) = 0;  // 9
};

struct IHostMediaSet : IDispatch {
    QF_PLACEHOLDER(7);
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;  // 8
    QF_PLACEHOLDER(9);
    virtual HRESULT STDMETHODCALLTYPE get_Index(LONG* index) = 0;  // 10
    QF_PLACEHOLDER(11);
    QF_PLACEHOLDER(12);
    virtual HRESULT STDMETHODCALLTYPE get_IsSkipped(VARIANT_BOOL* skipped) = 0;      // 13
    virtual HRESULT STDMETHODCALLTYPE get_Level(LONG* level) = 0;                    // 14
    virtual HRESULT STDMETHODCALLTYPE get_Parent(IHostMediaSet** parent) = 0;        // 15
    virtual HRESULT STDMETHODCALLTYPE get_MediaItems(IHostMediaItems** items) = 0;  // 16
};

struct IHostMediaItems : IDispatch {
    QF_PLACEHOLDER(7);
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;                          // 8
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaItem** item) = 0;  // 9
};

struct IHostMediaItem : IDispatch {
    QF_PLACEHOLDER(7);
    QF_PLACEHOLDER(8);
    QF_PLACEHOLDER(9);
    QF_PLACEHOLDER(10);
    QF_PLACEHOLDER(11);
    QF_PLACEHOLDER(12);
    QF_PLACEHOLDER(13);
    QF_PLACEHOLDER(14);
    QF_PLACEHOLDER(15);
    QF_PLACEHOLDER(16);
    QF_PLACEHOLDER(17);
    QF_PLACEHOLDER(18);
    QF_PLACEHOLDER(19);
    QF_PLACEHOLDER(20);
    QF_PLACEHOLDER(21);
    QF_PLACEHOLDER(22);
    QF_PLACEHOLDER(23);
    QF_PLACEHOLDER(24);
    QF_PLACEHOLDER(25);
    QF_PLACEHOLDER(26);
    QF_PLACEHOLDER(27);
    QF_PLACEHOLDER(28);
    QF_PLACEHOLDER(29);
    QF_PLACEHOLDER(30);
    QF_PLACEHOLDER(31);
    QF_PLACEHOLDER(32);
    QF_PLACEHOLDER(33);
    QF_PLACEHOLDER(34);
    virtual HRESULT STDMETHODCALLTYPE get_Annotations(IHostAnnotations** annotations) = 0;  // 35
};

struct IHostAnnotations : IDispatch {
    QF_PLACEHOLDER(7);
    QF_PLACEHOLDER(8);
    QF_PLACEHOLDER(9);
    QF_PLACEHOLDER(10);
    QF_PLACEHOLDER(11);
    QF_PLACEHOLDER(12);
    QF_PLACEHOLDER(13);
    QF_PLACEHOLDER(14);
    QF_PLACEHOLDER(15);
    QF_PLACEHOLDER(16);
    QF_PLACEHOLDER(17);
    QF_PLACEHOLDER(18);
    QF_PLACEHOLDER(19);
    QF_PLACEHOLDER(20);
    QF_PLACEHOLDER(21);
    QF_PLACEHOLDER(22);
    QF_PLACEHOLDER(23);
    QF_PLACEHOLDER(24);
    QF_PLACEHOLDER(25);
    QF_PLACEHOLDER(26);
    QF_PLACEHOLDER(27);
    QF_PLACEHOLDER(28);
    QF_PLACEHOLDER(29);
    QF_PLACEHOLDER(30);
    QF_PLACEHOLDER(31);
    QF_PLACEHOLDER(32);
    QF_PLACEHOLDER(33);
    QF_PLACEHOLDER(34);
    QF_PLACEHOLDER(35);
    QF_PLACEHOLDER(36);
    QF_PLACEHOLDER(37);
    QF_PLACEHOLDER(38);
    QF_PLACEHOLDER(39);
    QF_PLACEHOLDER(40);
    QF_PLACEHOLDER(41);
    QF_PLACEHOLDER(42);
    QF_PLACEHOLDER(43);
    QF_PLACEHOLDER(44);
    QF_PLACEHOLDER(45);
    QF_PLACEHOLDER(46);
    QF_PLACEHOLDER(47);
    virtual HRESULT STDMETHODCALLTYPE get_Keywords(BSTR* keywords) = 0;  // 48
    virtual HRESULT STDMETHODCALLTYPE put_Keywords(BSTR keywords) = 0;   // 49
};

// The identifier of each host interface, for error objects and QueryInterface.
template <class I>
struct HostInterfaceId;
#define QF_HOST_INTERFACE_ID(I) \
    template <>                 \
    struct HostInterfaceId<I> { \
        static const IID& Get() { return IID_##I; } \
    }
QF_HOST_INTERFACE_ID(IHostApplication);
QF_HOST_INTERFACE_ID(IHostCatalog);
QF_HOST_INTERFACE_ID(IHostMediaSets);
QF_HOST_INTERFACE_ID(IHostMediaSet);
QF_HOST_INTERFACE_ID(IHostMediaItems);
QF_HOST_INTERFACE_ID(IHostMediaItem);
QF_HOST_INTERFACE_ID(IHostAnnotations);
QF_HOST_INTERFACE_ID(IUnknown);
#undef QF_HOST_INTERFACE_ID
