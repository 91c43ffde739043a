// Measures what cross-process host calls cost, kind by kind: connects to the
// running lumora-host.exe and makes each kind of call over and over.
//
//   host-call-timing.exe <calls per kind> [kind...]
//
// Kinds (default: bare):
//   bare         IHostApplication::Name, the call every other is set against
//   scalar       IHostMediaSets::Count, a number back
//   string       IHostMediaSet::Name, a short string back
//   keywords     IHostAnnotations::Keywords, an item's keyword list back
//   object       IHostMediaSets::Item(2), a new object back, and the release
//                of its proxy, timed apart
//   null-object  IHostMediaSet::Parent of a top-level set: an object call
//                that gives null, so no proxy is made or released
//   put          IHostAnnotations::Keywords(put), a keyword list sent
//
// Every kind but bare needs a catalog of at least two sets whose first is a
// top-level set with an item. The kinds take turns in five rounds, so that a
// burst of other work on the machine falls on all of them alike; each kind's
// figures are the median of its rounds. One line per kind:
//   <kind> <operation>: <n> calls, call <us> us[, release <us> us]
// `put` changes the keyword list of the first set's first item.
#include "host/host_interfaces.h"
#include "model/host_operations.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

template <class I>
void Release(I*& object)
{
    if (object) object->Release();
    object = nullptr;
}

// The host's objects the kinds are timed on.
struct CObjects {
    IHostApplication* application = nullptr;
    IHostCatalog* catalog = nullptr;
    IHostMediaSets* sets = nullptr;
    IHostMediaSet* set = nullptr;
    IHostMediaItems* items = nullptr;
    IHostMediaItem* item = nullptr;
    IHostAnnotations* annotations = nullptr;

    ~CObjects()
    {
        Release(annotations);
        Release(item);
        Release(items);
        Release(set);
        Release(sets);
        Release(catalog);
        Release(application);
    }

    HRESULT Reach()
    {
        HRESULT hr = application->get_ActiveCatalog(&catalog);
        if (SUCCEEDED(hr) && catalog) hr = catalog->get_MediaSets(&sets);
        LONG count = 0;
        if (SUCCEEDED(hr) && sets) hr = sets->get_Count(&count);
        if (SUCCEEDED(hr) && count >= 2) hr = sets->get_Item(1, &set);
        if (SUCCEEDED(hr) && set) hr = set->get_MediaItems(&items);
        if (SUCCEEDED(hr) && items) hr = items->get_Item(1, &item);
        if (SUCCEEDED(hr) && item) hr = item->get_Annotations(&annotations);
        return FAILED(hr) ? hr : annotations ? S_OK : E_FAIL;
    }
};

struct CKind {
    const char* name;
    const char* operation;
    bool needsCatalog;
    bool releasesProxy;
    // Makes one call and sets `called` when it has returned; what follows
    // (the release of a new object's proxy) is timed apart.
    HRESULT (*call)(CObjects& objects, long n, double& called);
};

HRESULT StringCall(HRESULT hr, BSTR text, double& called)
{
    called = Now();
    SysFreeString(text);
    return hr;
}

const CKind kKinds[] = {
    {"bare", HostOperation::kApplicationName, false, false,
     [](CObjects& o, long, double& called) {
         BSTR name = nullptr;
         return StringCall(o.application->get_Name(&name), name, called);
     }},
    {"scalar", HostOperation::kSetsCount, true, false,
     [](CObjects& o, long, double& called) {
         LONG count = 0;
         const HRESULT hr = o.sets->get_Count(&count);
         called = Now();
         return hr;
     }},
    {"string", HostOperation::kSetName, true, false,
     [](CObjects& o, long, double& called) {
         BSTR name = nullptr;
         return StringCall(o.set->get_Name(&name), name, called);
     }},
    {"keywords", HostOperation::kKeywordsGet, true, false,
     [](CObjects& o, long, double& called) {
         BSTR keywords = nullptr;
         return StringCall(o.annotations->get_Keywords(&keywords), keywords, called);
     }},
    {"object", HostOperation::kSetsItem, true, true,
     [](CObjects& o, long, double& called) {
         // The second set: the first one's proxy is held, and a call that
         // gives back an object the client already has costs less.
         IHostMediaSet* set = nullptr;
         const HRESULT hr = o.sets->get_Item(2, &set);
         called = Now();
         Release(set);
         return hr;
     }},
    {"null-object", HostOperation::kSetParent, true, false,
     [](CObjects& o, long, double& called) {
         IHostMediaSet* parent = nullptr;
         const HRESULT hr = o.set->get_Parent(&parent);
         called = Now();
         if (parent) {
             Release(parent);
             return E_UNEXPECTED;  // the first set must be a top-level one
         }
         return hr;
     }},
    {"put", HostOperation::kKeywordsPut, true, false,
     [](CObjects& o, long n, double& called) {
         // Every put a change, as the keyword pass's are.
         BSTR keywords = SysAllocString(n % 2 ? OLESTR("{Root}{S1}") : OLESTR("{Root}{S1};{Root}{S2}"));
         const HRESULT hr = keywords ? o.annotations->put_Keywords(keywords) : E_OUTOFMEMORY;
         called = Now();
         SysFreeString(keywords);
         return hr;
     }},
};

const CKind* FindKind(const wchar_t* name)
{
    for (const CKind& kind : kKinds) {
        std::wstring wide;
        for (const char* c = kind.name; *c; ++c) wide += static_cast<wchar_t>(*c);
        if (wide == name) return &kind;
    }
    return nullptr;
}

struct CTimes {
    std::vector<double> call;     // us per call, one per round
    std::vector<double> release;  // us per release, one per round
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const long calls = argc >= 2 ? std::wcstol(argv[1], nullptr, 10) : 0;
    std::vector<const CKind*> kinds;
    for (int i = 2; i < argc; ++i) {
        const CKind* kind = FindKind(argv[i]);
        if (!kind) {
            std::fprintf(stderr, "unknown kind %ls\n", argv[i]);
            return 2;
        }
        kinds.push_back(kind);
    }
    if (kinds.empty()) kinds.push_back(&kKinds[0]);
    if (calls < kRounds) {
        std::fputs("usage: host-call-timing.exe <calls per kind, at least 5> [bare|scalar|string|keywords|object|"
                   "null-object|put...]\n",
                   stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 3;
    int result = 0;
    {
        CObjects objects;
        const double start = Now();
        HRESULT hr = CoCreateInstance(CLSID_LumoraApplication, nullptr, CLSCTX_LOCAL_SERVER, IID_IHostApplication,
                                      reinterpret_cast<void**>(&objects.application));
        const double connected = Now();
        if (FAILED(hr)) {
            std::fprintf(stderr, "cannot reach the host: 0x%08lX\n", static_cast<unsigned long>(hr));
            return 1;
        }
        if (std::any_of(kinds.begin(), kinds.end(), [](const CKind* kind) { return kind->needsCatalog; }) &&
            FAILED(hr = objects.Reach())) {
            std::fprintf(stderr, "the catalog needs two sets, the first with an item: 0x%08lX\n",
                         static_cast<unsigned long>(hr));
            return 1;
        }
        std::printf("connect: %.1f ms\n", (connected - start) * 1e3);

        std::vector<CTimes> times(kinds.size());
        const long perRound = calls / kRounds;
        for (int round = 0; round < kRounds && SUCCEEDED(hr); ++round) {
            for (std::size_t k = 0; k < kinds.size() && SUCCEEDED(hr); ++k) {
                double calling = 0, releasing = 0;
                for (long n = 0; n < perRound && SUCCEEDED(hr); ++n) {
                    const double before = Now();
                    double called = before;
                    hr = kinds[k]->call(objects, n, called);
                    const double after = Now();
                    if (!kinds[k]->releasesProxy) called = after;
                    calling += called - before;
                    releasing += after - called;
                }
                times[k].call.push_back(calling * 1e6 / static_cast<double>(perRound));
                times[k].release.push_back(releasing * 1e6 / static_cast<double>(perRound));
            }
        }
        if (FAILED(hr)) {
            std::fprintf(stderr, "a call failed: 0x%08lX\n", static_cast<unsigned long>(hr));
            result = 1;
        } else {
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                std::printf("%s %s: %ld calls, call %.1f us", kinds[k]->name, kinds[k]->operation,
                            perRound * kRounds, Median(times[k].call));
                if (kinds[k]->releasesProxy) std::printf(", release %.1f us", Median(times[k].release));
                std::printf("\n");
            }
        }
    }
    CoUninitialize();
    return result;
}
