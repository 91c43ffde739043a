#include "host_instance.h"

namespace {

const wchar_t kRunningMutex[] = L"LumoraHost.Running";
const wchar_t kStopEvent[] = L"LumoraHost.Stop";

}  // namespace

CRunningHostClaim::~CRunningHostClaim()
{
    Release();
    if (m_stopRequest) CloseHandle(m_stopRequest);
}

HRESULT CRunningHostClaim::Claim()
{
    m_running = CreateMutexW(nullptr, TRUE, kRunningMutex);
    if (!m_running) return HRESULT_FROM_WIN32(GetLastError());
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Someone else owns it: we never got ownership, so only close it.
        CloseHandle(m_running);
        m_running = nullptr;
        return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    }
    m_stopRequest = CreateEventW(nullptr, TRUE, FALSE, kStopEvent);
    if (!m_stopRequest) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        Release();
        return hr;
    }
    // A /stop left over from an earlier host must not end this one at once.
    ResetEvent(m_stopRequest);
    return S_OK;
}

void CRunningHostClaim::WaitForStopRequest() const { WaitForSingleObject(m_stopRequest, INFINITE); }

void CRunningHostClaim::RequestStop() const noexcept
{
    if (m_stopRequest) SetEvent(m_stopRequest);
}

void CRunningHostClaim::Release()
{
    if (!m_running) return;
    ReleaseMutex(m_running);
    CloseHandle(m_running);
    m_running = nullptr;
}

HRESULT StopRunningHost(DWORD timeoutMilliseconds)
{
    // Open the mutex before signalling, so a host that exits at once cannot
    // take the mutex away before we wait on it.
    const HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, kRunningMutex);
    if (!running) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    HRESULT hr = S_OK;
    const HANDLE stopRequest = OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEvent);
    if (!stopRequest || !SetEvent(stopRequest)) hr = HRESULT_FROM_WIN32(GetLastError());
    if (stopRequest) CloseHandle(stopRequest);
    if (SUCCEEDED(hr)) {
        switch (WaitForSingleObject(running, timeoutMilliseconds)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:  // the host ended without releasing it: it is gone all the same
            ReleaseMutex(running);
            break;
        case WAIT_TIMEOUT:
            hr = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
            break;
        default:
            hr = HRESULT_FROM_WIN32(GetLastError());
        }
    }
    CloseHandle(running);
    return hr;
}
