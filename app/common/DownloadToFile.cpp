#include "app/common/DownloadToFile.h"

#include "win/Handles.h"
#include "win/FileSystem.h"
#include "win/Trace.h"

#include <windows.h>
#include <urlmon.h>
#include <wininet.h>
#include <wrl/client.h>

#include <atomic>

namespace {

// Watches one transfer for the server's HTTP status: urlmon reports a 404 with its error page as a success.
class StatusWatcher final : public IBindStatusCallback, public IHttpNegotiate {
public:
    // 0 until a status line was seen (file and ftp transfers have none).
    DWORD StatusCode() const { return status_; }

    // IUnknown. The object lives on the caller's stack for the one blocking call; the count only keeps COM honest.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback))
            *object = static_cast<IBindStatusCallback*>(this);
        else if (IsEqualIID(riid, IID_IHttpNegotiate))
            *object = static_cast<IHttpNegotiate*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    // IBindStatusCallback.
    STDMETHODIMP OnStartBinding(DWORD, IBinding* binding) override {
        binding_ = binding;
        return S_OK;
    }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG statusCode, LPCWSTR) override {
        if (statusCode == BINDSTATUS_ENDDOWNLOADDATA)
            ReadStatusFromBinding();
        return S_OK;
    }
    STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override {
        ReadStatusFromBinding();
        binding_.Reset();
        return S_OK;
    }
    STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
        if (!flags || !info)
            return E_INVALIDARG;
        const DWORD size = info->cbSize;
        ZeroMemory(info, size);
        info->cbSize = size;
        // An update file that a cache answers is no update check.
        *flags |= BINDF_GETNEWESTVERSION;
        return S_OK;
    }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate.
    STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders) override {
        if (additionalHeaders)
            *additionalHeaders = nullptr;
        return S_OK;
    }
    STDMETHODIMP OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) override {
        if (additionalHeaders)
            *additionalHeaders = nullptr;
        status_ = responseCode;
        return S_OK;
    }

private:
    void ReadStatusFromBinding() {
        if (!binding_ || status_ != 0)
            return;
        Microsoft::WRL::ComPtr<IWinInetHttpInfo> info;
        if (FAILED(binding_.As(&info)) || !info)
            return;
        DWORD code = 0;
        DWORD size = sizeof code;
        DWORD flags = 0;
        if (SUCCEEDED(info->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, &flags, nullptr)))
            status_ = code;
    }

    std::atomic<ULONG> references_{1};
    Microsoft::WRL::ComPtr<IBinding> binding_;
    DWORD status_ = 0;
};

bool Fetch(const std::wstring& address, const std::wstring& partialPath) {
    win::ComApartment com;
    StatusWatcher watcher;
    const HRESULT hr = URLDownloadToFileW(nullptr, address.c_str(), partialPath.c_str(), 0, &watcher);
    if (hr != S_OK)
        return false;
    if (watcher.StatusCode() >= 400)
        return false;
    if (PathExists(partialPath))
        return true;
    // A transfer that succeeded without a byte writes no file; the download is an empty one.
    return static_cast<bool>(win::UniqueHandle(
        CreateFileW(partialPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

} // namespace

bool DownloadToFile(const std::wstring& address, const std::wstring& localPath) {
    if (address.empty() || localPath.empty())
        return false;
    const std::wstring partialPath = localPath + L".download";
    try {
        DeleteFileW(partialPath.c_str());
        if (Fetch(address, partialPath) &&
            MoveFileExW(partialPath.c_str(), localPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
            return true;
    } catch (...) {
        // Nothing may escape into the callers' window procedures; the download simply failed.
        win::TraceCaught(L"DownloadToFile");
    }
    DeleteFileW(partialPath.c_str());
    return false;
}
