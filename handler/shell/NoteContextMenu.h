// The shortcut menu of a brw:// search result: "Open" for a document,
// "Open Attachment" and "Open Message" for an attachment. A chosen command
// hands its verb and the result's URL to ProcessURL.
#pragma once
#include "common/ComObject.h"
#include "handler/shell/OpenOnWorker.h"

#include <windows.h>
#include <shobjidl.h>

#include <cstddef>
#include <string>

namespace brw {

// {5C9D8D6F-5145-494C-A678-F1F3D96826EC}
constexpr CLSID kNoteContextMenuClsid = {0x5C9D8D6F, 0x5145, 0x494C, {0xA6, 0x78, 0xF1, 0xF3, 0xD9, 0x68, 0x26, 0xEC}};

struct MenuVerb;

class CNoteContextMenu final : public ComObject<IContextMenu> {
public:
    // A menu for no URL offers the document's "Open" and opens nothing
    // useful; the folders make menus through CreateNoteContextMenu.
    explicit CNoteContextMenu(UrlOpener opener = nullptr);

    // Takes the result's URL and chooses the commands for its kind.
    // Throws std::bad_alloc.
    void SetUrl(const wchar_t* url);

    IFACEMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT uFlags) override;
    IFACEMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* pici) override;
    IFACEMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, CHAR* pszName, UINT cchMax) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CNoteContextMenu() override = default;

    // The command an invocation names, by offset or by verb text; false for
    // one this menu does not offer.
    bool CommandOf(const CMINVOKECOMMANDINFO& info, std::size_t* command) const;
    bool CommandOfVerbText(const wchar_t* verb, std::size_t* command) const;
    bool CommandOfVerbText(const char* verb, std::size_t* command) const;

    UrlOpener opener_;
    std::wstring url_;
    const MenuVerb* verbs_;
    std::size_t verbCount_;
};

// A menu for url, queried for riid, as the results folders hand it out.
HRESULT CreateNoteContextMenu(const wchar_t* url, REFIID riid, void** ppv) noexcept;

} // namespace brw
