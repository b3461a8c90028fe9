// winsim: the Windows Firewall interfaces of Windows XP SP2 that the tool
// uses, with the SDK's enum values, method names and signatures. On Windows
// they derive from IDispatch; nothing here calls IDispatch, so they derive
// from IUnknown directly.
#ifndef WINSIM_WIN_NETFW_H
#define WINSIM_WIN_NETFW_H

#include "win_com.h"

typedef enum NET_FW_PROFILE_TYPE_ {
  NET_FW_PROFILE_DOMAIN = 0,
  NET_FW_PROFILE_STANDARD = 1,
  NET_FW_PROFILE_CURRENT = 2,
  NET_FW_PROFILE_TYPE_MAX = 3
} NET_FW_PROFILE_TYPE;

typedef enum NET_FW_IP_VERSION_ {
  NET_FW_IP_VERSION_V4 = 0,
  NET_FW_IP_VERSION_V6 = 1,
  NET_FW_IP_VERSION_ANY = 2,
  NET_FW_IP_VERSION_MAX = 3
} NET_FW_IP_VERSION;

typedef enum NET_FW_SCOPE_ {
  NET_FW_SCOPE_ALL = 0,
  NET_FW_SCOPE_LOCAL_SUBNET = 1,
  NET_FW_SCOPE_CUSTOM = 2,
  NET_FW_SCOPE_MAX = 3
} NET_FW_SCOPE;

typedef enum NET_FW_SERVICE_TYPE_ {
  NET_FW_SERVICE_FILE_AND_PRINT = 0,
  NET_FW_SERVICE_UPNP = 1,
  NET_FW_SERVICE_REMOTE_DESKTOP = 2,
  NET_FW_SERVICE_NONE = 3,
  NET_FW_SERVICE_TYPE_MAX = 4
} NET_FW_SERVICE_TYPE;

struct INetFwProfile;

struct INetFwService : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Type(NET_FW_SERVICE_TYPE* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* scope) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE scope) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR* remoteAddrs) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) = 0;
};

struct INetFwServices : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Item(NET_FW_SERVICE_TYPE svcType, INetFwService** service) = 0;
};

struct INetFwAuthorizedApplication : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* imageFileName) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR imageFileName) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION* ipVersion) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION ipVersion) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE* scope) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE scope) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR* remoteAddrs) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR remoteAddrs) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) = 0;
};

struct INetFwAuthorizedApplications : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication* app) = 0;
  virtual HRESULT STDMETHODCALLTYPE Remove(BSTR imageFileName) = 0;
  virtual HRESULT STDMETHODCALLTYPE Item(BSTR imageFileName, INetFwAuthorizedApplication** app) = 0;
};

struct INetFwProfile : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Type(NET_FW_PROFILE_TYPE* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Services(INetFwServices** services) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AuthorizedApplications(INetFwAuthorizedApplications** apps) = 0;
};

struct INetFwPolicy : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** profile) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProfileByType(NET_FW_PROFILE_TYPE profileType, INetFwProfile** profile) = 0;
};

struct INetFwMgr : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** localPolicy) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CurrentProfileType(NET_FW_PROFILE_TYPE* profileType) = 0;
};

// Declared as the SDK declares them; the program that uses them defines
// them (the import library of the system does not carry them).
extern "C" const CLSID CLSID_NetFwMgr;
extern "C" const IID IID_INetFwMgr;
extern "C" const CLSID CLSID_NetFwAuthorizedApplication;
extern "C" const IID IID_INetFwAuthorizedApplication;

#endif  // WINSIM_WIN_NETFW_H
