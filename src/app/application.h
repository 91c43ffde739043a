// The host application object that a run works with.
#pragma once

#include "host/counted_ref.h"
#include "host/host_interfaces.h"

class CApplication {
public:
    CApplication() = default;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;
    virtual ~CApplication();

    // Starts the host or connects to the running one.
    HRESULT Open() noexcept;

    // Writes the application block of the report.
    HRESULT PrintInfo() const noexcept;

    IHostApplication* Get() const noexcept { return m_application.Get(); }

private:
    CCountedRef<IHostApplication> m_application;
};
