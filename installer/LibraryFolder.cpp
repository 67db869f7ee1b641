#include "installer/LibraryFolder.h"

namespace brw {

std::wstring LibraryFolderText(const std::wstring& directory)
{
    if (!directory.empty() && directory.back() == L'\\') {
        return directory.substr(0, directory.size() - 1);
    }
    return directory;
}

} // namespace brw
