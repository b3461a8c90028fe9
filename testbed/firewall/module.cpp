// The DLL's COM entry points: the class objects of the firewall manager and
// of a new authorized-application entry, and the registration that puts
// the stand-in in place of the system's firewall classes.
#include <string>

#include "com_object.h"
#include "policy_store.h"

namespace fwstandin {

LONG g_liveObjects = 0;
LONG g_serverLocks = 0;

namespace {

HINSTANCE g_module = nullptr;

class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(IUnknown* (*make)()) : make_(make) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Class objects are static: they live as long as the DLL.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* made = make_();
    const HRESULT hr = made->QueryInterface(iid, object);
    made->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      InterlockedIncrement(&g_serverLocks);
    else
      InterlockedDecrement(&g_serverLocks);
    return S_OK;
  }

 private:
  IUnknown* (*const make_)();
};

ClassFactory g_managerClass([]() -> IUnknown* { return NewManager(); });
ClassFactory g_applicationClass([]() -> IUnknown* { return NewApplication(); });

// Points the class's in-process server at `dll`.
HRESULT RegisterClassServer(REFCLSID clsid, const std::wstring& dll) {
  wchar_t id[40];
  StringFromGUID2(clsid, id, 40);
  const std::wstring path = std::wstring(L"CLSID\\") + id + L"\\InprocServer32";
  HKEY key;
  LONG result = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) return FromWin32(result);
  const wchar_t threading[] = L"Both";
  result = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                          static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
  if (result == ERROR_SUCCESS)
    result = RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(threading),
                            sizeof threading);
  RegCloseKey(key);
  return FromWin32(result);
}

HRESULT RegisterBothClasses(const std::wstring& dll) {
  const HRESULT hr = RegisterClassServer(CLSID_NetFwMgr, dll);
  return FAILED(hr) ? hr : RegisterClassServer(CLSID_NetFwAuthorizedApplication, dll);
}

}  // namespace
}  // namespace fwstandin

using namespace fwstandin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (IsEqualCLSID(clsid, CLSID_NetFwMgr)) return g_managerClass.QueryInterface(iid, object);
  if (IsEqualCLSID(clsid, CLSID_NetFwAuthorizedApplication)) return g_applicationClass.QueryInterface(iid, object);
  if (object) *object = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_liveObjects == 0 && g_serverLocks == 0 ? S_OK : S_FALSE; }

// Takes both classes over and lays down a fresh policy where none is.
extern "C" HRESULT WINAPI DllRegisterServer() {
  wchar_t dll[MAX_PATH];
  const DWORD length = GetModuleFileNameW(g_module, dll, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FromWin32(GetLastError());
  const HRESULT hr = RegisterBothClasses(dll);
  return FAILED(hr) ? hr : SeedPolicy();
}

// Gives both classes back to the system's hnetcfg.dll (the policy stays).
extern "C" HRESULT WINAPI DllUnregisterServer() {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FromWin32(GetLastError());
  return RegisterBothClasses(std::wstring(system) + L"\\hnetcfg.dll");
}
