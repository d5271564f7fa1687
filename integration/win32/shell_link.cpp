#include "integration/win32/shell_link.h"

#include <objbase.h>
#include <shlobj.h>

#include "integration/win32/com_ptr.h"

HRESULT CreateLink(const char* linkPath, const LinkInfo* info) {
  if (!info || !linkPath || !info->Target)
    return E_FAIL;

  ComPtr<IShellLinkA> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    link.PutVoid());
  if (FAILED(result))
    return result;
  link->SetPath(info->Target);
  if (info->Description)
    link->SetDescription(info->Description);
  if (info->WorkingDir)
    link->SetWorkingDirectory(info->WorkingDir);

  // Declared after the link, so it is released first.
  ComPtr<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.PutVoid());
  if (FAILED(result))
    return result;

  // Save wants UTF-16. A path that does not convert whole is not saved under a cut name.
  WCHAR widePath[MAX_PATH] = {};
  if (!MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, linkPath, -1, widePath, MAX_PATH))
    return HRESULT_FROM_WIN32(GetLastError());
  return file->Save(widePath, TRUE);
}
