// Makes the automation server creatable: a class object for `ORVOControl` registered with COM
// for this process (CoRegisterClassObject, local server, multiple use), so that a client's
// CoCreateInstance inside the host's process gets the host's own object, without marshalling.
#pragma once

#include <objbase.h>

#include "standins/host/AutomationServer.h"
#include "standins/host/Transcript.h"

namespace host {

class ClassObject final : public IClassFactory {
  public:
    ClassObject(AutomationServer& server, Transcript& transcript)
        : server_(server), transcript_(transcript) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  private:
    AutomationServer& server_;
    Transcript& transcript_;
    ULONG references_ = 1;
};

// CoInitialize on the host's thread, then the registration; both undone in reverse.
class ClassRegistration {
  public:
    ClassRegistration(ClassObject& classObject, Transcript& transcript);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

  private:
    Transcript& transcript_;
    bool comInitialized_ = false;
    DWORD cookie_ = 0;
};

}  // namespace host
