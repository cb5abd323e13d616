#include "ui/folder_picker.h"
#include "state/texts.h"
#include <shlobj.h>

// Shows the full path of the highlighted folder; items without one keep the previous text.
static void ShowSelectionPath(HWND picker, LPCITEMIDLIST selection)
{
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(selection, path))
        SendMessageA(picker, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
}

int CALLBACK BrowseFolderCallback(HWND picker, UINT message, LPARAM lParam, LPARAM data)
{
    switch (message) {
    case BFFM_INITIALIZED:
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, data);
        break;
    case BFFM_SELCHANGED:
        ShowSelectionPath(picker, (LPCITEMIDLIST)lParam);
        break;
    }
    return 0;
}

int BrowseForTargetFolder(HWND owner, char* path)
{
    IMalloc* allocator = NULL;
    if (FAILED(SHGetMalloc(&allocator)))
        return 0;

    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.lpszTitle = BrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;
    info.lpfn = BrowseFolderCallback;
    info.lParam = (LPARAM)path;

    int picked = 0;
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (list) {
        picked = SHGetPathFromIDListA(list, path) ? 1 : 0;
        allocator->Free(list);
    }
    allocator->Release();
    return picked;
}
