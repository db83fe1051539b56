#include "standins/host/ClassObject.h"

#include <cstring>

namespace host {
namespace {

CLSID ServerClass() {
    CLSID clsid;
    static_assert(sizeof clsid == sizeof Orvo_tlb::CLSID_ORVOControl, "GUID layout");
    std::memcpy(&clsid, &Orvo_tlb::CLSID_ORVOControl, sizeof clsid);
    return clsid;
}

const platform::Guid& AsGuid(REFIID iid) {
    return reinterpret_cast<const platform::Guid&>(iid);
}

}  // namespace

HRESULT ClassObject::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClassObject::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    const HRESULT status = server_.QueryInterface(AsGuid(iid), object);
    transcript_.Line("com: CreateInstance -> " +
                     Transcript::Hex(static_cast<std::uint32_t>(status)));
    return status;
}

ClassRegistration::ClassRegistration(ClassObject& classObject, Transcript& transcript)
    : transcript_(transcript) {
    const HRESULT init = ::CoInitialize(nullptr);
    comInitialized_ = SUCCEEDED(init);
    const HRESULT status = ::CoRegisterClassObject(ServerClass(), &classObject, CLSCTX_LOCAL_SERVER,
                                                   REGCLS_MULTIPLEUSE, &cookie_);
    transcript_.Line("host: ORVOControl class object " +
                     std::string(SUCCEEDED(status)
                                     ? "registered"
                                     : "FAIL not registered, status " +
                                           Transcript::Hex(static_cast<std::uint32_t>(status))));
    if (FAILED(status)) cookie_ = 0;
}

ClassRegistration::~ClassRegistration() {
    if (cookie_) ::CoRevokeClassObject(cookie_);
    if (comInitialized_) ::CoUninitialize();
}

}  // namespace host
