/* A self-registering server in miniature: registering it leaves a mark in the registry. */
#include <windows.h>

HRESULT __stdcall DllRegisterServer(void) {
    HKEY key;
    DWORD one = 1;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FnwdActiveXStub", 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return E_FAIL;
    RegSetValueExA(key, "Registered", 0, REG_DWORD, (const BYTE*)&one, sizeof one);
    RegCloseKey(key);
    return S_OK;
}
