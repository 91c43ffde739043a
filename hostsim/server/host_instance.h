// The hand-started host is one per session: it holds a named mutex while it
// serves and waits on a named event that `lumora-host.exe /stop` sets. The
// stopping side then waits for the mutex, so when /stop returns the host has
// saved its catalog and is gone.
#pragma once

#include "platform/com.h"

class CRunningHostClaim {
public:
    CRunningHostClaim() = default;
    CRunningHostClaim(const CRunningHostClaim&) = delete;
    CRunningHostClaim& operator=(const CRunningHostClaim&) = delete;
    virtual ~CRunningHostClaim();

    // Fails with HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) while another host runs.
    HRESULT Claim();
    // Blocks until /stop (or RequestStop) asks this host to end.
    void WaitForStopRequest() const;
    void RequestStop() const noexcept;
    // Lets a waiting /stop return; call once everything is saved.
    void Release();

private:
    HANDLE m_running = nullptr;
    HANDLE m_stopRequest = nullptr;
};

// Asks the running host to stop and waits until it has exited. Fails with
// HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when no host is running.
HRESULT StopRunningHost(DWORD timeoutMilliseconds);
